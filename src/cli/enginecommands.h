#pragma once

#include <QStringList>

// The engine commands of rewordix-cli. Each takes the arguments after the
// command name and returns the process exit code: 0 done, 1 failed, 2 misused.
//
//   analyse FILE [--reserved LIST] [--ignore LIST] [--dictionary DB]
//   spin FILE [-n N] [--degree 0..5] [--reserved LIST] [--ignore LIST]
//        [--out DIR | --zip FILE.zip] [--txt] [--dictionary DB]
int runAnalyseCommand(const QStringList &args);
int runSpinCommand(const QStringList &args);

// Synopses for the command list of --help.
inline constexpr char AnalyseSynopsis[] =
    "analyse FILE [OPT]   the analysed working store and the statistics line\n"
    "                       (--reserved LIST, --ignore LIST, --dictionary DB)";
inline constexpr char SpinSynopsis[] =
    "spin FILE [OPT]      rewritten articles: -n N (2), --degree 0..5 (3), --out DIR or\n"
    "                       --zip FILE.zip, --txt for UTF-16 text, --reserved LIST, --ignore "
    "LIST,\n"
    "                       --dictionary DB, --no-protect to rewrite names, links and code\n"
    "                       too, --seed N for the same articles on every run";
