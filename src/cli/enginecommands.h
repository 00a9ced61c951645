#pragma once

#include <QStringList>

// The engine commands of rewordix-cli. Each takes the arguments after the
// command name and returns the process exit code: 0 done, 1 failed, 2 misused.
//
//   analyse FILE [--reserved LIST] [--ignore LIST] [--dictionary DB] [--json]
//   spin FILE [-n N] [--degree 0..5] [--reserved LIST] [--ignore LIST]
//        [--out DIR | --zip FILE.zip] [--txt] [--dictionary DB] [--seed N]
// Options take their value as the next argument or after "="; FILE "-" is
// standard input; COMMAND --help describes every option.
int runAnalyseCommand(const QStringList &args);
int runSpinCommand(const QStringList &args);
int runTemplateCommand(const QStringList &args);
int runResolveCommand(const QStringList &args);

// Synopses for the command list of --help.
inline constexpr char AnalyseSynopsis[] =
    "analyse FILE [OPT]   the analysed working store and the statistics line\n"
    "                       (--reserved LIST, --ignore LIST, --dictionary DB, --json)";
inline constexpr char SpinSynopsis[] =
    "spin FILE [OPT]      rewritten articles: -n N (2), --degree 0..5 (3), --out DIR or\n"
    "                       --zip FILE.zip (- for standard output), --txt for UTF-16 text,\n"
    "                       --reserved LIST, --ignore LIST, --quiet,\n"
    "                       --dictionary DB, --no-protect to rewrite names, links and code\n"
    "                       too, --seed N for the same articles on every run";
inline constexpr char TemplateSynopsis[] =
    "template FILE [OPT]  the article's spin template as spintax ({a|b}, own marks escaped):\n"
    "                       --degree 0..5 (3), --reserved LIST, --ignore LIST, --dictionary DB";
inline constexpr char ResolveSynopsis[] =
    "resolve FILE [OPT]   distinct articles from a spintax template, nested groups too:\n"
    "                       -n N, --out DIR or --zip FILE.zip, --txt, --seed N; without an\n"
    "                       output, the articles on standard output separated by form feeds";
