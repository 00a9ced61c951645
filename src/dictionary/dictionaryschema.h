#pragma once

#include <QStringList>

// The dictionary file: 27 word tables (A..Z and Other) with the columns
// ss, Words, Type, Synonyms, and the table IR (Words, Regular).
//
// Words and Type compare without regard to ASCII case (COLLATE NOCASE), so
// Words=? and prefix LIKE both use the index on Words; exact, case-sensitive
// matches add a BINARY comparison on top of the indexed one.
namespace DictionarySchema {

// "A".."Z" then "Other", the order in which the entries are counted.
const QStringList &wordTables();
inline constexpr QStringView IrTable = u"IR";

// Statements that create every table and index of an empty dictionary.
QStringList createStatements();

} // namespace DictionarySchema
