#include "app/mainwindowlogic.h"
#include "engine/magic/apertiumbackend.h"
#include "engine/magic/magicbackends.h"
#include "engine/magic/magicrewrite.h"
#include "engine/magic/magictext.h"
#include "testutil.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Marker = MagicText::EndMarker.toString();

// What the fake pages do, and what they were asked to do.
struct FakeWorld
{
    QStringList log;
    bool neverReady = false;
    bool busyForever = false;
    int silentHop = -1; // the translation that never comes back
    int markerOnlyHop = -1;
    bool ellipsisAfter = false;
    QString fault;
    int hops = 0;
    int readyPolls = 0;
};

// A page that "translates" by putting the target language in front.
class FakePage : public TranslationPage
{
public:
    FakePage(FakeWorld &world, QString name) : m_world(world), m_name(std::move(name)) {}
    void navigate(const QString &from, const QString &to) override
    {
        m_world.log << m_name + u" go "_s + from + u'>' + to;
        m_to = to;
        m_ready = false;
        QTimer::singleShot(0, &m_context, [this] { m_ready = !m_world.neverReady; });
    }
    void navigateBlank() override
    {
        m_world.log << m_name + u" blank"_s;
        m_ready = false;
        m_result.clear();
    }
    bool isReady() const override { return ++m_world.readyPolls, m_ready; }
    void clearReady() override { m_ready = false; }
    void setSource(const QString &text) override
    {
        m_world.log << m_name + u" source "_s + text;
        m_source = text;
    }
    void submit() override
    {
        m_world.log << m_name + u" submit"_s;
        const int hop = m_world.hops++;
        m_result = hop == m_world.silentHop       ? QString()
                   : hop == m_world.markerOnlyHop ? Marker
                                                  : m_to + u": "_s + m_source;
        if (m_world.ellipsisAfter && !m_result.isEmpty())
            m_result += u"..."_s;
    }
    QString result() override { return m_result; }
    std::optional<bool> isBusy() override { return m_world.busyForever; }
    QString fault() const override { return m_world.hops > 0 ? m_world.fault : QString(); }

private:
    FakeWorld &m_world;
    QString m_name;
    QObject m_context;
    bool m_ready = false;
    QString m_to, m_source, m_result;
};

class FakeBackend : public TranslationBackend
{
public:
    FakeBackend(FakeWorld &world, bool connected = true, bool tooOld = false)
        : m_world(world), m_connected(connected), m_tooOld(tooOld)
    {}
    QString unusableReason() const override { return m_tooOld ? u"old"_s : QString(); }
    bool browserTooOld() const override { return m_tooOld; }
    void checkConnection(QObject *context, std::function<void(bool)> done) override
    {
        QTimer::singleShot(0, context, [done, ok = m_connected] { done(ok); });
    }
    LanguagePlan plan(qsizetype) const override { return {u"es"_s, u"de"_s, u"en"_s}; }
    MagicTimings timings(qsizetype) const override { return {}; }
    std::unique_ptr<TranslationPage> createPage() override
    {
        return std::make_unique<FakePage>(m_world, m_pages++ == 0 ? u"A"_s : u"B"_s);
    }

private:
    FakeWorld &m_world;
    bool m_connected, m_tooOld;
    int m_pages = 0;
};

constexpr MagicTimings Fast = {1, 1, 1, 1};

// Everything a chain reports, in order.
struct Recorder
{
    QStringList events;
    QList<int> positions;
    QList<MagicRewrite::Stage> stages;
    explicit Recorder(MagicRewrite &chain)
    {
        QObject::connect(&chain, &MagicRewrite::statisticsHidden, &chain,
                         [this] { events << u"hidden"_s; });
        QObject::connect(&chain, &MagicRewrite::messageRequested, &chain,
                         [this](const QString &key, MagicRewrite::Icon icon, const QString &) {
                             events << key + (icon == MagicRewrite::Icon::Error ? u" error"_s
                                                                                : u" warning"_s);
                         });
        QObject::connect(&chain, &MagicRewrite::placeholderShown, &chain,
                         [this](const QString &key) { events << key; });
        QObject::connect(&chain, &MagicRewrite::progressChanged, &chain,
                         [this](int p) { positions << p; });
        QObject::connect(&chain, &MagicRewrite::stageChanged, &chain,
                         [this](MagicRewrite::Stage s) { stages << s; });
        QObject::connect(&chain, &MagicRewrite::restoring, &chain,
                         [this] { events << u"restoring"_s; });
        QObject::connect(&chain, &MagicRewrite::restored, &chain,
                         [this](const QString &t) { events << u"restored "_s + t; });
        QObject::connect(&chain, &MagicRewrite::finished, &chain,
                         [this](const QString &t) { events << u"finished "_s + t; });
    }
};

// A chain over the fake pages and what it reports.
struct FakeChain
{
    FakeWorld world;
    MagicRewrite chain;
    Recorder seen;
    explicit FakeChain(MagicTimings timings = Fast, bool connected = true, bool tooOld = false)
        : chain(std::make_unique<FakeBackend>(world, connected, tooOld)), seen(chain)
    {
        chain.setTimings(timings);
    }
    // Starts the chain and waits until it has finished or restored the article.
    bool run(const QString &article)
    {
        QSignalSpy finished(&chain, &MagicRewrite::finished);
        QSignalSpy restored(&chain, &MagicRewrite::restored);
        chain.start(article);
        return QTest::qWaitFor([&] { return !finished.isEmpty() || !restored.isEmpty(); }, 5000);
    }
    bool isIdle() const { return !chain.isBusy() && !chain.hasPages(); }
};

// A translation page served on loopback: its script puts the target language
// of the address fragment in front of the text, after `delay` ms (never when -1).
class PageServer : public QTcpServer
{
public:
    PageServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [socket] { answer(socket); });
        });
        listen(QHostAddress::LocalHost);
    }
    QString address(const QString &path) const
    {
        return u"http://127.0.0.1:%1/%2"_s.arg(serverPort()).arg(path);
    }

private:
    static void answer(QTcpSocket *socket)
    {
        const QByteArray request = socket->readAll();
        const QByteArray path = request.split(' ').value(1);
        const QByteArray delay = path.startsWith("/slow")    ? "300"
                                 : path.startsWith("/never") ? "-1"
                                                             : "0";
        const QByteArray body =
            "<!DOCTYPE html><html><body><div id='source'></div><button id='gt-submit'>Go</button>"
            "<div id='result_box'></div><script>"
            "document.getElementById('gt-submit').onclick = function () {"
            "  var lang = decodeURIComponent(location.hash).split('|')[1];"
            "  var text = document.getElementById('source').innerText;"
            "  var box = document.getElementById('result_box'); box.innerText = '';"
            "  if (" +
            delay + " >= 0) setTimeout(function () { box.innerText = lang + ': ' + text; }, " +
            delay +
            ");"
            "};</script></body></html>";
        socket->write(
            "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nConnection: close\r\n"
            "Content-Length: " +
            QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
    }
};

} // namespace

class TestMagic : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void prepare_data() { TestUtil::addTableRows(u"magic/prepare.tsv"_s); }
    void prepare()
    {
        QFETCH(QString, article);
        QFETCH(QString, submitted);
        QCOMPARE(MagicText::prepare(article), submitted + Marker);
    }

    void removeMarker_data()
    {
        QTest::addColumn<QString>("translation");
        QTest::addColumn<QString>("expected");
        const QString text = u"Hola mundo."_s;
        for (const QString &form : {u". (..<<<<>>>>..)"_s, u"(..<<<<>>>>..)"_s, u"..<<<<>>>>.."_s,
                                    u".<<<<>>>>."_s, u"<<<<>>>>"_s, u"<<<>>>"_s})
            QTest::newRow(qPrintable(form)) << text + form << text;
        QTest::newRow("the whole form goes, with blanks")
            << u"Hola mundo.. (..<<<<>>>>..)  "_s << text;
        // Removing only the first form would leave "<<<>>>" in the article.
        QTest::newRow("two forms") << text + u"(..<<<<>>>>..) <<<>>>"_s << text;
        QTest::newRow("mangled") << text + u" ( .. <<<< >>>> ..)"_s << text;
        QTest::newRow("ellipsis after the marker") << u"Hola mundo.. (..<<<<>>>>..)..."_s << text;
        const QString body(200, u'x');
        QTest::newRow("only in the tail")
            << u"a <<<>>> "_s + body + Marker << u"a <<<>>> "_s + body;
    }
    void removeMarker()
    {
        QFETCH(QString, translation);
        QFETCH(QString, expected);
        QCOMPARE(MagicText::removeMarker(translation), expected);
    }

    void showsEnd()
    {
        QVERIFY(MagicText::showsEnd(QString(u"x"_s + Marker + QString(85, u' '))));
        QVERIFY(!MagicText::showsEnd(QString(u"x"_s + Marker + QString(97, u' '))));
        QVERIFY(!MagicText::showsEnd(u"Hola (..<<<< >>>>..)"_s));
    }

    void fullRun_data()
    {
        QTest::addColumn<bool>("ellipsisAfter");
        QTest::newRow("plain") << false;
        QTest::newRow("every translation ends in ...") << true;
    }
    void fullRun()
    {
        QFETCH(bool, ellipsisAfter);
        FakeChain fake;
        fake.world.ellipsisAfter = ellipsisAfter;
        QVERIFY(fake.run(u"Hello world."_s));
        const QString a = u"Hello world.. (..<<<<>>>>..)"_s;
        const QStringList expected = {u"A go en>es"_s,
                                      u"B go es>de"_s,
                                      u"A source "_s + a,
                                      u"A submit"_s,
                                      u"B source es: "_s + a,
                                      u"B submit"_s,
                                      u"A blank"_s,
                                      u"A go de>en"_s,
                                      u"A source de: es: "_s + a,
                                      u"A submit"_s,
                                      u"B blank"_s,
                                      u"B go en>en"_s,
                                      u"B source en: de: es: "_s + a,
                                      u"B submit"_s,
                                      u"A blank"_s,
                                      u"A go en>en"_s,
                                      u"A source en: en: de: es: "_s + a,
                                      u"A submit"_s,
                                      u"B blank"_s};
        QCOMPARE(fake.world.log, expected);
        const Recorder &seen = fake.seen;
        QCOMPARE(seen.events, (QStringList{u"hidden"_s, u"MessageBox_13"_s,
                                           u"finished en: en: en: de: es: Hello world."_s}));
        QCOMPARE(seen.positions, (QList<int>{0, 2, 4, 6, 8, 9, 10}));
        QVERIFY(fake.isIdle());
    }

    void refusedStart_data() { TestUtil::addTableRows(u"magic/refused-start.tsv"_s); }
    void refusedStart()
    {
        QFETCH(QString, article);
        QFETCH(int, situation);
        QFETCH(QStringList, events);
        FakeChain fake({1000, 1000, 0, 1}, situation != 2, situation == 3);
        fake.world.neverReady = true;
        MagicRewrite &chain = fake.chain;
        g_bAutoRewriting = situation == 1;
        chain.start(article);
        g_bAutoRewriting = false;
        QTest::qWait(20);
        if (situation == 4)
            chain.start(article);
        QCOMPARE(fake.seen.events, events);
        QCOMPARE(chain.isBusy(), situation == 4);
        QCOMPARE(chain.hasPages(), situation == 4);
    }

    void timeOut_data()
    {
        QTest::addColumn<int>("failure");
        QTest::addColumn<MagicRewrite::Stage>("stage");
        QTest::newRow("page never loads") << 0 << MagicRewrite::WaitFirstPage;
        QTest::newRow("translation never comes") << 1 << MagicRewrite::SecondTranslation;
        QTest::newRow("page stays busy") << 2 << MagicRewrite::Finishing;
        QTest::newRow("marker alone comes back") << 3 << MagicRewrite::Finishing;
        QTest::newRow("translator fault") << 4 << MagicRewrite::FirstTranslation;
    }
    void timeOut()
    {
        QFETCH(int, failure);
        QFETCH(MagicRewrite::Stage, stage);
        FakeChain fake;
        FakeWorld &world = fake.world;
        world.neverReady = failure == 0;
        world.silentHop = failure == 1 ? 1 : -1;
        world.busyForever = failure == 2;
        world.markerOnlyHop = failure == 3 ? 4 : -1;
        world.fault = failure == 4 ? u"apertium failed"_s : QString();
        QVERIFY(fake.run(u"Original."_s));
        const Recorder &seen = fake.seen;
        QCOMPARE(seen.events,
                 (QStringList{u"hidden"_s, u"MessageBox_13"_s, u"MessageBox_15 error"_s,
                              u"restoring"_s, u"restored Original."_s}));
        QCOMPARE(seen.stages.at(seen.stages.size() - 2), stage);
        if (failure == 0)
            QCOMPARE(world.readyPolls, MagicRewrite::TimeOutTicks - 1);
        QVERIFY(fake.isIdle());
    }

    void abortInStage_data()
    {
        QTest::addColumn<MagicRewrite::Stage>("stage");
        for (const auto stage : {MagicRewrite::WaitFirstPage, MagicRewrite::FirstTranslation,
                                 MagicRewrite::SecondTranslation, MagicRewrite::ThirdTranslation,
                                 MagicRewrite::BackToEnglish, MagicRewrite::Finishing})
            QTest::addRow("%d", int(stage)) << stage;
    }
    void abortInStage()
    {
        QFETCH(MagicRewrite::Stage, stage);
        FakeChain fake;
        connect(&fake.chain, &MagicRewrite::stageChanged, this, [&](MagicRewrite::Stage s) {
            if (s == stage)
                fake.chain.abort();
        });
        QVERIFY(fake.run(u"Original."_s));
        const Recorder &seen = fake.seen;
        QCOMPARE(seen.events, (QStringList{u"hidden"_s, u"MessageBox_13"_s, u"restoring"_s,
                                           u"restored Original."_s}));
        QCOMPARE(seen.stages.mid(seen.stages.size() - 2),
                 (QList<MagicRewrite::Stage>{stage, MagicRewrite::Restoring}));
        QVERIFY(fake.isIdle());
    }

    void offlinePlan_data()
    {
        QTest::addColumn<QStringList>("modes");
        QTest::addColumn<int>("length");
        QTest::addColumn<QStringList>("plan");
        const QStringList all = {u"eng-spa"_s, u"spa-eng"_s, u"es-fr"_s, u"fr-es"_s};
        QTest::newRow("short") << all << 1499 << QStringList{u"es"_s, u"en"_s, u"en"_s};
        QTest::newRow("long") << all << 1500 << QStringList{u"es"_s, u"fr"_s, u"es"_s};
        QTest::newRow("long without French")
            << all.mid(0, 2) << 5000 << QStringList{u"es"_s, u"en"_s, u"en"_s};
        QTest::newRow("one way only")
            << QStringList{u"eng-spa"_s} << 10 << QStringList{QString(), QString(), QString()};
    }
    void offlinePlan()
    {
        QFETCH(QStringList, modes);
        QFETCH(int, length);
        QFETCH(QStringList, plan);
        const ApertiumBackend backend(u"apertium"_s, modes);
        const LanguagePlan got = backend.plan(length);
        QCOMPARE((QStringList{got.first, got.second, got.third}), plan);
        QCOMPARE(backend.unusableReason().isEmpty(), !plan.first().isEmpty());
    }

    void tidyBlanks()
    {
        QCOMPARE(Apertium::tidyBlanks(u"A. B"_s, u"X.  Y  z"_s), u"X. Y z"_s);
        QCOMPARE(Apertium::tidyBlanks(u"A.  B"_s, u"X.  Y  z"_s), u"X.  Y z"_s);
    }

    void offlineRun()
    {
        ApertiumBackend probe;
        if (probe.program().isEmpty() || !probe.unusableReason().isEmpty())
            QSKIP("Apertium with an English pair is not installed");
        MagicRewrite chain(std::make_unique<ApertiumBackend>());
        QSignalSpy finished(&chain, &MagicRewrite::finished);
        const QString article = u"The old house stood at the end of the road.\n\n"
                                "Every morning the children walked to school with their dog."_s;
        chain.start(article);
        QVERIFY(finished.wait(30000));
        const QString text = finished.first().first().toString();
        QVERIFY2(text.contains(u"\n\n"_s) && !text.contains(u'<') && text != article,
                 qPrintable(text));
        QVERIFY2(text.contains(u"the "_s, Qt::CaseInsensitive), qPrintable(text));
    }

    void commandLine_data()
    {
        QTest::addColumn<QByteArray>("article");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("article") << QByteArray("The dog slept in the sun.\n\nIt was warm.") << 0;
        QTest::newRow("empty file") << QByteArray() << 1;
    }
    void commandLine()
    {
        QFETCH(QByteArray, article);
        QFETCH(int, exitCode);
        if (exitCode == 0 && !ApertiumBackend().unusableReason().isEmpty())
            QSKIP("Apertium with an English pair is not installed");
        QTemporaryDir dir;
        const QString in = dir.filePath(u"in.txt"_s), out = dir.filePath(u"out.txt"_s);
        QVERIFY(TextFile::writeBytes(in, article));
        QCOMPARE(TestUtil::runCli({u"magic"_s, in, u"-o"_s, out}).exitCode, exitCode);
        QFile result(out);
        QCOMPARE(result.open(QIODevice::ReadOnly) && result.readAll().contains("\n\n"),
                 exitCode == 0);
    }

    void webPage_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("abortStage");
        QTest::addColumn<QString>("last");
        const QString done = u"finished en: en: en: de: es: Hello world.\nSecond line."_s;
        QTest::newRow("answers at once") << u"page"_s << 0 << done;
        QTest::newRow("answers slowly") << u"slow"_s << 0 << done;
        QTest::newRow("never answers")
            << u"never"_s << 0 << u"restored Hello world.\nSecond line."_s;
        QTest::newRow("abort while translating")
            << u"page"_s << int(MagicRewrite::SecondTranslation)
            << u"restored Hello world.\nSecond line."_s;
        QTest::newRow("no connection") << u"page"_s << -1 << u"MessageBox_26 error"_s;
    }
    void webPage()
    {
        QFETCH(QString, path);
        QFETCH(int, abortStage);
        QFETCH(QString, last);
        PageServer server;
        QVERIFY(server.isListening());
        QString error;
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString check =
            abortStage < 0 ? u"http://127.0.0.1:%1/"_s.arg(closed.serverPort()) : QString();
        closed.close();
        auto backend = MagicBackends::create(server.address(path), check, &error,
                                             QStringLiteral(REWORDIX_BIN_DIR));
        QVERIFY2(backend, qPrintable(error));
        const LanguagePlan shortPlan = backend->plan(1499), longPlan = backend->plan(1500);
        QCOMPARE((QStringList{shortPlan.first, shortPlan.second, shortPlan.third, longPlan.first,
                              longPlan.second, longPlan.third}),
                 (QStringList{u"es"_s, u"de"_s, u"en"_s, u"es"_s, u"fr"_s, u"de"_s}));

        MagicRewrite chain(std::move(backend));
        // The first page also starts the browser engine, which takes seconds on a busy
        // machine: 200 ms ticks give each stage 10 s before the chain gives up.
        chain.setTimings({200, 200, 10, 1});
        Recorder seen(chain);
        connect(&chain, &MagicRewrite::stageChanged, this, [&](MagicRewrite::Stage s) {
            if (s == abortStage)
                chain.abort();
        });
        chain.start(u"Hello world.\nSecond line."_s);
        QTRY_VERIFY_WITH_TIMEOUT(!chain.isBusy(), 30000);
        QCOMPARE(seen.events.last(), last);
        QCOMPARE(seen.events.contains(u"MessageBox_15 error"_s), path == u"never");
        QVERIFY(!chain.hasPages());
    }
};

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QGuiApplication app(argc, argv);
    TestMagic test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_magic.moc"
