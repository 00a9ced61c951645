#pragma once

#include "app/textfile.h"
#include "engine/postagger.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QString>
#include <QTest>

#include <csignal>
#include <functional>
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

// The command-line program the build made.
inline QString cliPath()
{
    return QStringLiteral(REWORDIX_BIN_DIR "/rewordix-cli");
}

// What one run of a program gave back; exitCode -1 when it crashed or hung.
struct ProcessRun
{
    int exitCode = -1;
    QString output;
    QString errors;
};

// Runs program with arguments, giving it a minute to finish.
inline ProcessRun runProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    ProcessRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
    }
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

inline ProcessRun runCli(const QStringList &arguments)
{
    return runProgram(cliPath(), arguments);
}

// A UTF-8 text file under tests/data; empty when it cannot be read.
inline QString dataText(const QString &relativePath)
{
    return QString::fromUtf8(fileBytes(testDataPath(relativePath)));
}

// A field of a data table with its escapes read: \t, \n and \r stand for a
// tab and line breaks, \\ for one backslash; any other backslash stays.
inline QString unescapedField(QStringView field)
{
    QString text;
    text.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar next = i + 1 < field.size() ? field[i + 1] : QChar();
        if (field[i] != u'\\' || !QStringView(u"tnr\\").contains(next)) {
            text += field[i];
            continue;
        }
        text += next == u't' ? u'\t' : next == u'n' ? u'\n' : next == u'r' ? u'\r' : u'\\';
        ++i;
    }
    return text;
}

// A QTest data table from a UTF-8 tab-separated file under tests/data: the
// first line names the columns, "#" starts a comment line. A column is a
// QString unless its name ends in ":int", ":bool" (1 or 0) or ":list" (a
// QStringList, items split at "|"). An empty string field is a null string,
// an empty list field an empty list; fields take the escapes of
// unescapedField. A row is named by its first field and line, so tags stay
// unique.
inline void addTableRows(const QString &relativePath)
{
    enum class Type
    {
        String,
        Int,
        Bool,
        List
    };
    QFile file(testDataPath(relativePath));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QList<Type> types;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (types.isEmpty()) {
            // QTest keeps the column names as pointers: they must outlive the table.
            static QList<QByteArray> names;
            for (const QString &header : fields) {
                const QString type = header.section(QLatin1Char(':'), 1);
                const QByteArray &name =
                    names.emplaceBack(header.section(QLatin1Char(':'), 0, 0).toUtf8());
                if (type == QLatin1String("int")) {
                    types.append(Type::Int);
                    QTest::addColumn<int>(name.constData());
                } else if (type == QLatin1String("bool")) {
                    types.append(Type::Bool);
                    QTest::addColumn<bool>(name.constData());
                } else if (type == QLatin1String("list")) {
                    types.append(Type::List);
                    QTest::addColumn<QStringList>(name.constData());
                } else {
                    QVERIFY2(
                        type.isEmpty(),
                        qPrintable(relativePath + QStringLiteral(": unknown column type ") + type));
                    types.append(Type::String);
                    QTest::addColumn<QString>(name.constData());
                }
            }
            continue;
        }
        const QString where = relativePath + u':' + QString::number(i + 1);
        QVERIFY2(fields.size() == types.size(),
                 qPrintable(where + QStringLiteral(": wrong field count")));
        QTestData &row = QTest::addRow("%s (line %d)", qPrintable(fields[0]), int(i + 1));
        for (qsizetype c = 0; c < fields.size(); ++c) {
            const QString &field = fields[c];
            bool ok = true;
            switch (types[c]) {
            case Type::Int:
                row << field.toInt(&ok);
                break;
            case Type::Bool:
                ok = field == QLatin1String("1") || field == QLatin1String("0");
                row << (field == QLatin1String("1"));
                break;
            case Type::List: {
                QStringList items;
                if (!field.isEmpty()) {
                    for (const QString &item : field.split(QLatin1Char('|')))
                        items.append(unescapedField(item));
                }
                row << items;
                break;
            }
            case Type::String:
                row << (field.isEmpty() ? QString() : unescapedField(field));
                break;
            }
            QVERIFY2(ok,
                     qPrintable(where + QStringLiteral(": not of the column's type: ") + field));
        }
    }
    QVERIFY2(!types.isEmpty(), qPrintable(relativePath + QStringLiteral(": no header line")));
}

// A rule of a rule table: the text it gives for a row's input and argument.
using Rule = std::function<QString(const QString &input, const QString &argument)>;

// For a table of rules (columns "rule", "input", "argument" and "expected"):
// the rule the row names gives the expected text. One table of a module's
// functions of text instead of a QFETCH-and-compare test for each.
inline void checkRule(const QHash<QString, Rule> &rules)
{
    QFETCH(QString, rule);
    QFETCH(QString, input);
    QFETCH(QString, argument);
    QFETCH(QString, expected);
    const auto found = rules.constFind(rule);
    QVERIFY2(found != rules.cend(), qPrintable(QStringLiteral("no rule ") + rule));
    QCOMPARE((*found)(input, argument), expected);
}

// The tagger model the build trained, loaded once; null (and why in error)
// when the build made none.
inline const PosTagger *shippedTagger(QString *error = nullptr)
{
    static QString loadError;
    static const std::unique_ptr<PosTagger> tagger =
        PosTagger::load(QStringLiteral(REWORDIX_BIN_DIR "/tagger.model"), &loadError);
    if (error)
        *error = loadError;
    return tagger.get();
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
