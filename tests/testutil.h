#pragma once

#include "app/textfile.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QString>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

// Small helpers shared by the test programs.
namespace TestUtil {

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeUtf16(const QString &path, const QString &text)
{
    TextFile::writeUtf16(path, text);
}

inline QString bomText(const QString &text)
{
    return QChar(0xFEFF) + text;
}

inline QString testDataPath(const QString &relativePath)
{
    return QStringLiteral(REWORDIX_TEST_DATA "/") + relativePath;
}

// A QTest data table from a UTF-8 tab-separated file under tests/data: the
// first line names the columns (all QString), "#" starts a comment line, an
// empty field is a null string and "\\t", "\\n" stand for a tab and a line
// break. A row is named by its first field and line, so tags stay unique.
inline void addTableRows(const QString &relativePath)
{
    QFile file(testDataPath(relativePath));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    int columns = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        QStringList fields = line.split(QLatin1Char('\t'));
        if (columns == 0) {
            columns = int(fields.size());
            // QTest keeps the column names as pointers: they must outlive the table.
            static QList<QByteArray> names;
            for (const QString &name : fields)
                QTest::addColumn<QString>(names.emplaceBack(name.toUtf8()).constData());
            continue;
        }
        const QString where = relativePath + u':' + QString::number(i + 1);
        QVERIFY2(fields.size() == columns, qPrintable(where + QStringLiteral(": wrong field count")));
        QTestData &row = QTest::addRow("%s (line %d)", qPrintable(fields[0]), int(i + 1));
        for (QString &field : fields) {
            field.replace(QStringLiteral("\\t"), QStringLiteral("\t"))
                .replace(QStringLiteral("\\n"), QStringLiteral("\n"));
            row << (field.isEmpty() ? QString() : field);
        }
    }
    QVERIFY2(columns > 0, qPrintable(relativePath + QStringLiteral(": no header line")));
}

// An article of count words of everyday English, the same for the same
// seed: sentences of 15 words, one per line; capitalised sentence starts
// unless capitalise is false.
inline QString generatedArticle(int count, quint32 seed, bool capitalise = true)
{
    const QStringList words =
        QStringLiteral(
            "the quick brown fox jumps over a lazy dog while children walked to school and "
            "their teachers looked after them carefully because the weather was getting worse "
            "every hour people wanted to go home early but trains were running late so many "
            "decided to stay in the city centre for dinner with friends who had been working "
            "together on important projects about climate science economic growth and public "
            "health during difficult times nobody expected such a big change in how we live")
            .split(QLatin1Char(' '));
    QRandomGenerator random(seed);
    QString text;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += (i % 15 == 0) ? QStringLiteral(".\n") : QStringLiteral(" ");
        QString word = words[random.bounded(int(words.size()))];
        if (capitalise && i % 15 == 0)
            word[0] = word[0].toUpper();
        text += word;
    }
    return text + QLatin1Char('.');
}

// A full disk without root: while it lives, writes past bytes fail with EFBIG
// (RLIMIT_FSIZE, SIGXFSZ ignored), as a full disk fails them with ENOSPC.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        if (getrlimit(RLIMIT_FSIZE, &m_saved) != 0)
            return;
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_saved;
        lowered.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_active)
            setrlimit(RLIMIT_FSIZE, &m_saved);
        if (m_savedHandler != SIG_ERR)
            std::signal(SIGXFSZ, m_savedHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool isActive() const { return m_active; }

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int) = SIG_ERR;
    bool m_active = false;
};

} // namespace TestUtil
