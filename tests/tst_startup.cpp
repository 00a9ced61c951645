#include "app/apppaths.h"
#include "app/singleinstance.h"
#include "app/startup.h"
#include "testutil.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultConfigText()
    {
        const QString text = Startup::defaultConfigText();
        QCOMPARE(text.size(), 338);
        QVERIFY(text.startsWith(u"[General Settings]\r\nLanguage=\r\n"));
        QVERIFY(text.endsWith(u"Replaced Words Color=255\r\n"));
        QCOMPARE(text.count(u"\r\n"_s), 14);
        QVERIFY(!text.contains(u"Enable Optimization"));
    }

    void firstStartInEmptyFolder()
    {
        QTemporaryDir dir;
        Startup::prepareWorkingFiles(dir.path());
        const QByteArray config = TestUtil::fileBytes(dir.filePath(u"Config.ini"_s));
        QCOMPARE(config.size(), 678);
        QVERIFY(config.startsWith("\xFF\xFE[\0G\0"));
        QCOMPARE(TextFile::fromUtf16Le(config).mid(1), Startup::defaultConfigText());
        QCOMPARE(QFileInfo(dir.filePath(u"temp.dat"_s)).size(), 0);
        QCOMPARE(QFileInfo(dir.filePath(u"replacedtemp.dat"_s)).size(), 0);
        QVERIFY(QFileInfo(dir.filePath(u"temp"_s)).isDir());
        QVERIFY(QFileInfo(dir.filePath(u"Language"_s)).isDir());
        QVERIFY(QDir(dir.filePath(u"temp"_s)).isEmpty());
        QVERIFY(QDir(dir.filePath(u"Language"_s)).isEmpty());
    }

    void existingFilesAreNeverTouched()
    {
        QTemporaryDir dir;
        Startup::prepareWorkingFiles(dir.path());
        TestUtil::writeUtf16(dir.filePath(u"Config.ini"_s),
                             u"[General Settings]\r\nLanguage=English\r\n"_s);
        TestUtil::writeUtf16(dir.filePath(u"temp.dat"_s), u"[0,5]Hello(if:hello)\r\n"_s);
        TestUtil::writeUtf16(dir.filePath(u"replacedtemp.dat"_s), u"[Hi]=Hello\r\n"_s);
        TestUtil::writeUtf16(dir.filePath(u"temp/1.rtf"_s), u"{\\rtf1 x}"_s);
        QStringList names = {u"Config.ini"_s, u"temp.dat"_s, u"replacedtemp.dat"_s,
                             u"temp/1.rtf"_s};
        QHash<QString, QByteArray> before;
        for (const QString &n : names)
            before[n] = TestUtil::fileBytes(dir.filePath(n));

        Startup::prepareWorkingFiles(dir.path());
        for (const QString &n : names)
            QCOMPARE(TestUtil::fileBytes(dir.filePath(n)), before[n]);

        // Deleting only temp.dat recreates it empty; the rest keep their content.
        QFile::remove(dir.filePath(u"temp.dat"_s));
        Startup::prepareWorkingFiles(dir.path());
        QCOMPARE(QFileInfo(dir.filePath(u"temp.dat"_s)).size(), 0);
        QCOMPARE(TestUtil::fileBytes(dir.filePath(u"replacedtemp.dat"_s)),
                 before[u"replacedtemp.dat"_s]);
        QCOMPARE(TestUtil::fileBytes(dir.filePath(u"Config.ini"_s)), before[u"Config.ini"_s]);
    }

    void unwritableInstallFolderUsesDataFolder()
    {
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        // Not even root can create files in /proc.
        const QString work = AppPaths::chooseWorkDir(u"/proc"_s);
        QCOMPARE(work, home.path() + u"/Rewordix"_s);
        QVERIFY(QFileInfo(work).isDir());

        QTemporaryDir writable;
        QCOMPARE(AppPaths::chooseWorkDir(writable.path()), writable.path());
    }

    void singleInstanceInProcess()
    {
        const QString name =
            u"rewordix-test-"_s + QString::number(QCoreApplication::applicationPid());
        SingleInstance first(name);
        QVERIFY(first.isPrimary());
        QSignalSpy activated(&first, &SingleInstance::activationRequested);
        {
            SingleInstance second(name);
            QVERIFY(!second.isPrimary());
            QVERIFY(second.activatePrimary());
        }
        QTRY_COMPARE_WITH_TIMEOUT(activated.count(), 1, 5000);
    }

    // The program itself: a first start creates the working files beside the
    // executable, a second start shows nothing and ends at once.
    void programStartsOnce()
    {
        {
            SingleInstance probe(u"Rewordix.exe"_s);
            if (!probe.isPrimary())
                QSKIP("another copy of the program is running");
        }
        const QString built = QStringLiteral(REWORDIX_BIN_DIR) + u"/rewordix"_s;
        if (!QFileInfo::exists(built))
            QSKIP("program not built");
        QTemporaryDir install;
        const QString exe = install.filePath(u"rewordix"_s);
        QVERIFY(QFile::copy(built, exe));

        QProcess first;
        first.setProgram(exe);
        first.setWorkingDirectory(QDir::tempPath()); // the program pins its own folder
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        first.setProcessEnvironment(env);
        first.start();
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(install.filePath(u"replacedtemp.dat"_s)).exists(),
                                 10000);
        QCOMPARE(QFileInfo(install.filePath(u"Config.ini"_s)).size(), 678);
        QVERIFY(QFileInfo(install.filePath(u"Language"_s)).isDir());
        QVERIFY(QFileInfo(install.filePath(u"temp"_s)).isDir());

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(exe, {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        first.terminate();
        if (!first.waitForFinished(5000)) {
            first.kill();
            first.waitForFinished();
        }
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
