#pragma once

#include "app/apppaths.h"
#include "app/startup.h"
#include "dictionary/dictionary.h"
#include "testdictionary.h"
#include "testutil.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <utility>

// Helpers of the test programs that read and write the program's files.
namespace FileTest {

// A table field of a line-end or encoding case: beyond the tab and line break
// that TestUtil::addTableRows reads, "\r" stands for a carriage return and
// "\uFEFF" for the byte-order mark.
inline QString withControls(QString field)
{
    return field.replace(QStringLiteral("\\r"), QStringLiteral("\r"))
        .replace(QStringLiteral("\\uFEFF"), QString(QChar(0xFEFF)));
}

// The rows of a table file under tests/data as TestUtil::addTableRows reads
// them, without the header line; fields keep their escapes.
inline QList<QStringList> tableRows(const QString &relativePath)
{
    QList<QStringList> rows;
    const QString text =
        QString::fromUtf8(TestUtil::fileBytes(TestUtil::testDataPath(relativePath)));
    bool header = true;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (!std::exchange(header, false))
            rows.append(line.split(QLatin1Char('\t')));
    }
    return rows;
}

// A "true"/"false" field of a table read from a file.
inline bool isTrue(const QString &field)
{
    return field == QStringLiteral("true");
}

// A fresh working folder, the program's paths pointing at it while it lives:
// the files the program makes at its first start and the small dictionary.
class WorkFolder
{
public:
    explicit WorkFolder(bool withFiles = true)
    {
        AppPaths::initialise(m_dir.path(), m_dir.path());
        if (withFiles)
            Startup::prepareWorkingFiles(m_dir.path());
    }

    [[nodiscard]] bool isValid() const { return m_dir.isValid(); }
    [[nodiscard]] QString path() const { return m_dir.path(); }
    [[nodiscard]] QString filePath(const QString &name) const { return m_dir.filePath(name); }
    [[nodiscard]] QString dictionaryPath() const { return filePath(QStringLiteral("SysFuns.dll")); }

    [[nodiscard]] bool createDictionary() const
    {
        return TestDictionary::create(dictionaryPath(), TestDictionary::standardEntries(),
                                      TestDictionary::standardIrregulars());
    }

    // The dictionary opened the way the program opens its own; error says why not.
    [[nodiscard]] std::unique_ptr<Dictionary> openDictionary(QString *error) const
    {
        return Dictionary::open(dictionaryPath(), true, false, error);
    }

private:
    QTemporaryDir m_dir;
};

} // namespace FileTest

// QFETCH for a string column that may hold "\r" or "\uFEFF".
#define FETCH_WITH_CONTROLS(name)                                                                  \
    QFETCH(QString, name);                                                                         \
    name = FileTest::withControls(name)
