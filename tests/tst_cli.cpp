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

    void command_data()
    {
        // args: "{db}" stands for the test dictionary. json: a "/"-separated
        // path into the JSON printed and the value found there; otherwise
        // text the output holds.
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("expected");
        QTest::newRow("tag base") << u"tag --json --dictionary={db} cars quick"_s << 0
                                  << u"words/0/bases/0"_s << u"car"_s;
        QTest::newRow("tag form") << u"tag --dictionary={db} --json cars"_s << 0
                                  << u"words/0/forms/0"_s << u"pl"_s;
        QTest::newRow("tag word") << u"tag --json --dictionary={db} cars quick"_s << 0
                                  << u"words/1/word"_s << u"quick"_s;
        QTest::newRow("tag known")
            << u"tag --json --dictionary={db} quick"_s << 0 << u"words/0/known"_s << u"true"_s;
        QTest::newRow("tag unknown")
            << u"tag --json --dictionary={db} zzzq"_s << 0 << u"words/0/known"_s << u"false"_s;
        QTest::newRow("synonyms list") << u"synonyms --json --dictionary={db} quick"_s << 0
                                       << u"words/0/senses/0/synonyms/1"_s << u"rapid"_s;
        QTest::newRow("synonyms type") << u"synonyms --dictionary={db} --json quick cat"_s << 0
                                       << u"words/1/senses/0/type"_s << u"noun"_s;
        QTest::newRow("synonyms text") << u"synonyms --dictionary={db} quick"_s << 0 << QString()
                                       << u"<adjective>fast,rapid"_s;
        QTest::newRow("dict-info")
            << u"dict-info --json --dictionary={db}"_s << 0 << u"scrambled"_s << u"true"_s;
        QTest::newRow("dict-info plans")
            << u"dict-info --json --plans --dictionary={db}"_s << 0 << u"plans/0"_s << u"*"_s;
        QTest::newRow("inflect a phrase at its head")
            << u"inflect --dictionary={db} \"look after\" sp"_s << 0 << QString()
            << u"looked after"_s;
        QTest::newRow("help command") << u"help synonyms"_s << 0 << QString() << u"--json"_s;
        QTest::newRow("help usage")
            << u"spin --help"_s << 0 << QString() << u"Usage: rewordix-cli spin [options] FILE"_s;
        QTest::newRow("command --help") << u"dict-info --help"_s << 0 << QString() << u"--plans"_s;
        QTest::newRow("no word") << u"synonyms --dictionary={db}"_s << 2 << QString() << QString();
        QTest::newRow("unknown option") << u"tag --jsn x"_s << 2 << QString() << QString();
        QTest::newRow("no dictionary")
            << u"tag --dictionary={db}.missing x"_s << 1 << QString() << QString();
    }

    void command()
    {
        QFETCH(QString, args);
        QFETCH(int, exitCode);
        QFETCH(QString, json);
        QFETCH(QString, expected);
        QStringList arguments = QProcess::splitCommand(args);
        for (QString &a : arguments)
            a.replace(u"{db}"_s, m_dir.filePath(u"dictionary.db"_s));
        QProcess cli;
        cli.start(cliPath(), arguments);
        QVERIFY(cli.waitForFinished(60000));
        const QByteArray output = cli.readAllStandardOutput();
        QCOMPARE(cli.exitCode(), exitCode);
        if (exitCode != 0) {
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
