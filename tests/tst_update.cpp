#include "app/apppaths.h"
#include "app/config.h"
#include "buildinfo.h"
#include "testutil.h"
#include "update/updatecommand.h"
#include "update/updateversion.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Page
{
    int status = 200;
    QByteArray body;
    int delayMs = 0;
};

// A loopback HTTP/1.0 server: one answer per connection, by path.
class UpdateServer : public QTcpServer
{
public:
    QMap<QByteArray, Page> pages;

    UpdateServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
        });
    }
    QUrl folder(const QString &name) const
    {
        return QUrl(u"http://127.0.0.1:%1/%2/"_s.arg(serverPort()).arg(name));
    }

private:
    void serve(QTcpSocket *socket)
    {
        const QByteArray request = socket->peek(8192);
        if (!request.contains("\r\n\r\n"))
            return;
        socket->readAll();
        const Page page = pages.value(request.split(' ').value(1), Page{404, "<html>gone</html>"});
        QTimer::singleShot(page.delayMs, socket, [socket, page] {
            socket->write("HTTP/1.0 " + QByteArray::number(page.status) +
                          " X\r\nContent-Type: text/plain\r\nContent-Length: " +
                          QByteArray::number(page.body.size()) + "\r\n\r\n" + page.body);
            socket->disconnectFromHost();
        });
    }
};

} // namespace

class TestUpdate : public QObject
{
    Q_OBJECT

    QTemporaryDir m_work;
    UpdateServer m_server;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_server.isListening());
        AppPaths::initialise(m_work.path(), m_work.path(), false);
        const QByteArray html = "<html><body><h1>Server error</h1></body></html>";
        m_server.pages = {
            {"/newer/update.ini", {200, "[Program]\r\nVersion=1.1.3.26\r\n"}},
            {"/newer/update.html", {200, "<html>new version</html>"}},
            {"/quoted/update.ini",
             {200, "\xEF\xBB\xBF; published\n[ program ]\nversion = \"1.2\"\n"}},
            {"/equal/update.ini", {200, "[Other]\nVersion=9\n[Program]\nVersion=1.1.3.25\n"}},
            {"/malformed/update.ini", {200, "[Program]\nVersion=1.1.3.25b\n"}},
            {"/errorpage/update.ini", {200, html}},
            {"/failing/update.ini", {500, html}},
            {"/slow/update.ini", {200, "[Program]\nVersion=9.0\n", 10000}},
            {"/huge/update.ini", {200, QByteArray(AutoUpdater::MaxAnswerBytes + 1, ';')}},
            {"/built/update.ini", {200, "[Program]\nVersion="_ba + BuildInfo::Version}},
        };
    }

    void comparison_data() { TestUtil::addTableRows(u"update/comparison.tsv"_s); }
    void comparison()
    {
        QFETCH(QString, published);
        QFETCH(QString, own);
        QFETCH(QString, newer);
        QCOMPARE(UpdateVersion::isNewer(published, own), newer == u"true");
    }

    void ownVersion()
    {
        QCOMPARE(UpdateVersion::ownVersionText({1, 0, 0, 1}), u"1.0.0.1"_s);
        QCOMPARE(UpdateVersion::ownVersionText({1, 2, 0, 0}), u"1.2"_s);
        QCOMPARE(UpdateVersion::ownVersionText({0, 0, 0, 0}), QString());
        QCOMPARE(UpdateVersion::builtVersion(), QString::fromUtf8(BuildInfo::Version));
    }

    void routine_data() { TestUtil::addTableRows(u"update/routine.tsv"_s); }
    void routine()
    {
        QFETCH(QString, folder);
        QFETCH(QString, atStartUp);
        QFETCH(QString, own);
        QFETCH(QString, yes);
        QFETCH(QString, withUpdater);
        QFETCH(QString, code);
        QFETCH(QString, result);
        QFETCH(QString, notice);
        QFETCH(QString, started);

        QTemporaryDir programDir;
        const QString updater = programDir.filePath(u"rewordix-update"_s);
        if (withUpdater == u"true") {
            QFile file(updater);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        }
        QFile::remove(m_work.filePath(u"update.ini"_s));
        QVERIFY(Config::setWordsNumber(u"145000"_s));

        UpdateCommand::Params params;
        params.origin =
            atStartUp == u"true" ? UpdateCommand::Origin::StartUp : UpdateCommand::Origin::Command;
        params.check.folder =
            folder.isEmpty() || folder.contains(u':') ? QUrl(folder) : m_server.folder(folder);
        params.check.ownVersion = own;
        params.check.downloadDir = m_work.path();
        params.check.timeoutMs = 300;
        params.programDir = programDir.path();

        UpdateCommand command(params);
        QStringList launched;
        command.setLauncher({[&](const QString &program, const QStringList &arguments) {
                                 launched << program + u' ' + arguments.join(u' ');
                                 return true;
                             },
                             [&](const QUrl &page) {
                                 launched << page.toString();
                                 return true;
                             }});
        QStringList questions;
        connect(&command, &UpdateCommand::questionAsked, this, [&](const QString &key) {
            questions << key;
            command.answer(yes == u"true");
        });
        std::optional<UpdateCommand::Outcome> outcome;
        connect(&command, &UpdateCommand::finished, this,
                [&](const UpdateCommand::Outcome &o) { outcome = o; });
        command.start();
        QVERIFY(!outcome); // never from inside start()
        QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), 5000);

        QCOMPARE(QString::number(int(outcome->check.code)), code);
        QCOMPARE(QString::number(int(outcome->result)), result);
        QCOMPARE(outcome->noticeKey, notice);
        QCOMPARE(questions, code == u"0" ? QStringList{u"MessageBox_19"_s} : QStringList());
        QCOMPARE(Config::wordsNumber(), code == u"0" ? QString() : u"145000"_s);
        QCOMPARE(outcome->quit, outcome->result == UpdateCommand::Result::UpdaterStarted);
        if (started == u"updater")
            QCOMPARE(launched, QStringList{updater + u" IsNew"_s});
        else if (!started.isEmpty())
            QCOMPARE(launched,
                     QStringList{m_server.folder(folder).resolved(QUrl(started)).toString()});
        else
            QVERIFY(launched.isEmpty());
        // What was fetched is kept whole, or nothing is written.
        const QByteArray served = m_server.pages.value("/" + folder.toUtf8() + "/update.ini").body;
        const bool kept = code == u"0" || code == u"5" || code == u"6";
        QCOMPARE(TestUtil::fileBytes(m_work.filePath(u"update.ini"_s)),
                 kept ? served : QByteArray());
    }

    void commandLine_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("exitCode");
        const QString own = QString::fromUtf8(BuildInfo::Version);
        QTest::newRow("newer") << u"newer"_s
                               << u"update available: 1.1.3.26 (this is "_s + own + u")"_s << 0;
        QTest::newRow("equal") << u"built"_s << u"up to date: "_s + own << 0;
        QTest::newRow("failed") << u"failing"_s << u"check failed: "_s << 1;
    }
    void commandLine()
    {
        QFETCH(QString, folder);
        QFETCH(QString, line);
        QFETCH(int, exitCode);
        QProcess cli;
        cli.start(QStringLiteral(REWORDIX_BIN_DIR) + u"/rewordix-cli"_s,
                  {u"update-check"_s, u"--url"_s, m_server.folder(folder).toString()});
        // The server answers from this event loop, so no blocking wait.
        QTRY_COMPARE_WITH_TIMEOUT(cli.state(), QProcess::NotRunning, 20000);
        QCOMPARE(cli.exitCode(), exitCode);
        const QStringList lines = QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n');
        QCOMPARE(lines.size(), 2); // one line and its end
        QVERIFY2(lines.first().startsWith(line), qPrintable(lines.first()));
    }
};

QTEST_GUILESS_MAIN(TestUpdate)
#include "tst_update.moc"
