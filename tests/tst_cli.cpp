// rewordix-cli's dictionary commands as a script would call them.
#include "app/textfile.h"
#include "engine_testutil.h"
#include "testutil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <sys/resource.h>

using namespace Qt::Literals::StringLiterals;

class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(EngineTest::openDictionary(m_dir));
        if (!QFile::exists(cliPath()))
            QSKIP("rewordix-cli is not built");
    }

    void command_data() { TestUtil::addTableRows(u"cli/command.tsv"_s); }

    void command()
    {
        QFETCH(QString, args);
        QFETCH(QString, exitCode);
        QFETCH(QString, json);
        QFETCH(QString, expected);
        QStringList arguments = QProcess::splitCommand(args);
        for (QString &a : arguments)
            a.replace(u"{db}"_s, m_dir.filePath(u"dictionary.db"_s));
        QProcess cli;
        cli.start(cliPath(), arguments);
        QVERIFY(cli.waitForFinished(60000));
        const QByteArray output = cli.readAllStandardOutput();
        QCOMPARE(QString::number(cli.exitCode()), exitCode);
        if (exitCode != u"0") {
            QVERIFY(!cli.readAllStandardError().isEmpty());
            return;
        }
        if (json.isEmpty()) {
            QVERIFY2(QString::fromUtf8(output).contains(expected), output.constData());
            return;
        }
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(output, &error);
        QVERIFY2(error.error == QJsonParseError::NoError, output.constData());
        QJsonValue value = document.object();
        for (const QString &step : json.split(u'/')) {
            bool index = false;
            const int n = step.toInt(&index);
            value = index ? value.toArray().at(n) : value.toObject().value(step);
        }
        QVERIFY2(!value.isUndefined(), output.constData());
        const QString found = value.isBool() ? (value.toBool() ? u"true"_s : u"false"_s)
                                             : value.toVariant().toString();
        if (expected == u"*")
            QVERIFY(!found.isEmpty());
        else
            QCOMPARE(found, expected);
    }

    void fullDiskKeepsOlderFiles_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("folder") << u"--out"_s;
        QTest::newRow("archive") << u"--zip"_s;
    }

    // Writes fail past a file-size limit as on a full disk: the run fails and
    // leaves the older output as it was, with nothing of its own beside it.
    void fullDiskKeepsOlderFiles()
    {
        QFETCH(QString, option);
        QTemporaryDir work;
        const QString article = work.filePath(u"article.txt"_s);
        QVERIFY(TextFile::writeBytes(
            article, QByteArray("The quick dog walked to the red house by car. ").repeated(40)));
        const QString target = work.filePath(option == u"--out" ? u"out"_s : u"out.zip"_s);
        const QString older = option == u"--out" ? target + u"/1.txt"_s : target;
        QVERIFY(QDir().mkpath(QFileInfo(older).absolutePath()));
        QVERIFY(TextFile::writeBytes(older, "older"));
        QProcess cli;
        cli.setChildProcessModifier([] {
            const rlimit limit{1024, 1024};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
        cli.start(cliPath(),
                  {u"spin"_s, article, u"-n"_s, u"20"_s, u"--txt"_s, u"--quiet"_s, option, target,
                   u"--dictionary"_s, m_dir.filePath(u"dictionary.db"_s)});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 1);
        QVERIFY(!cli.readAllStandardError().isEmpty());
        QCOMPARE(TestUtil::fileBytes(older), QByteArray("older"));
        const QDir folder(QFileInfo(older).absolutePath());
        QCOMPARE(folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                 option == u"--out" ? 1 : 2); // the archive's folder holds the article too
    }

private:
    static QString cliPath() { return QStringLiteral(REWORDIX_BIN_DIR) + u"/rewordix-cli"_s; }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
