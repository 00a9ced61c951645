#pragma once

#include <QStringList>

// Dictionary commands of rewordix-cli. Each returns the process exit code.
namespace DictionaryCommands {

int tag(const QStringList &args);      // WORD...: word TAB InflectionTag per line
int synonyms(const QStringList &args); // WORD: the marked synonym list
int inflect(const QStringList &args);  // WORD TAG: the inflected form
int phrase(const QStringList &args);   // "TEXT": the phrase status number
int info(const QStringList &args);     // entry count and the file in use

} // namespace DictionaryCommands
