#include "dictionary/dictionaryschema.h"

using namespace Qt::Literals::StringLiterals;

const QStringList &DictionarySchema::wordTables()
{
    static const QStringList tables = [] {
        QStringList names;
        for (char16_t c = u'A'; c <= u'Z'; ++c)
            names << QString(QChar(c));
        names << u"Other"_s;
        return names;
    }();
    return tables;
}

QStringList DictionarySchema::createStatements()
{
    QStringList statements;
    for (const QString &table : wordTables()) {
        statements << uR"(CREATE TABLE "%1" (ss INTEGER PRIMARY KEY AUTOINCREMENT, )"
                      uR"(Words TEXT NOT NULL COLLATE NOCASE, Type TEXT COLLATE NOCASE, )"
                      uR"(Synonyms TEXT))"_s.arg(table)
                   << uR"(CREATE INDEX "%1_Words" ON "%1" (Words))"_s.arg(table);
    }
    statements << uR"(CREATE TABLE IR (Words TEXT NOT NULL COLLATE NOCASE, Regular TEXT))"_s
               << uR"(CREATE INDEX IR_Words ON IR (Words))"_s;
    return statements;
}
