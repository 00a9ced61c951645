#include "magicweb/webpagebackend.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The page script uses nothing newer than what this engine's first Qt 6
// release shipped.
constexpr int MinimumChromium = 87;

int chromiumMajor()
{
    return QString::fromLatin1(qWebEngineChromiumVersion()).section(u'.', 0, 0).toInt();
}

// A JavaScript string literal of any text: never paste text into a script.
QString jsString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

// The engine reports "|" of the address fragment as "%7C".
bool sameAddress(const QUrl &loaded, const QUrl &awaited)
{
    return QUrl::fromPercentEncoding(loaded.toEncoded()) ==
           QUrl::fromPercentEncoding(awaited.toEncoded());
}

class WebPage : public TranslationPage
{
public:
    explicit WebPage(QWebEngineProfile *profile) : m_page(std::make_unique<QWebEnginePage>(profile))
    {
        QObject::connect(m_page.get(), &QWebEnginePage::loadStarted, m_page.get(),
                         [this] { m_loading = true; });
        QObject::connect(
            m_page.get(), &QWebEnginePage::loadFinished, m_page.get(), [this](bool ok) {
                m_loading = false;
                // loadFinished only reports the top-level frame.
                if (ok && !m_awaited.isEmpty() && sameAddress(m_page->url(), m_awaited)) {
                    m_awaited.clear();
                    m_ready = true;
                }
            });
        QObject::connect(m_page.get(), &QWebEnginePage::renderProcessTerminated, m_page.get(),
                         [this](QWebEnginePage::RenderProcessTerminationStatus, int code) {
                             m_fault = u"the translation page stopped (exit code %1)"_s.arg(code);
                         });
    }
    // The engine may answer pending reads while the page goes, so it goes
    // while everything they touch is still there.
    ~WebPage() override
    {
        ++m_generation;
        m_page->triggerAction(QWebEnginePage::Stop);
        m_page.reset();
    }

    void setAddress(const QString &base) { m_base = base; }

    void navigate(const QString &, const QString &to) override
    {
        ++m_generation;
        m_cached.clear();
        m_ready = false;
        m_awaited = QUrl(m_base + u"#auto|"_s + to + u'|');
        m_page->load(m_awaited);
    }
    void navigateBlank() override
    {
        ++m_generation;
        m_cached.clear();
        m_ready = false;
        m_awaited.clear();
        m_page->load(QUrl(u"about:blank"_s));
    }
    bool isReady() const override { return m_ready; }
    void clearReady() override { m_ready = false; }

    void setSource(const QString &text) override
    {
        ++m_generation;
        m_cached.clear();
        m_page->runJavaScript(u"(function(t){var e=document.getElementById('source');if(!e)return;"
                              "if(e.tagName==='TEXTAREA'||e.tagName==='INPUT')e.value=t;"
                              "else e.innerText=t;})("_s +
                              jsString(text) + u")"_s);
    }
    void submit() override
    {
        ++m_generation;
        m_cached.clear();
        m_page->runJavaScript(
            u"(function(){var b=document.getElementById('gt-submit');if(b)b.click();})()"_s);
    }

    // Script results come back later: this answers what the last read saw
    // and starts the next one. Reads started before a change are dropped.
    QString result() override
    {
        const quint64 generation = m_generation;
        m_page->runJavaScript(u"(function(){var e=document.getElementById('result_box');"
                              "return e?e.innerText:'';})()"_s,
                              [this, generation](const QVariant &value) {
                                  if (generation == m_generation)
                                      m_cached = value.toString();
                              });
        return m_cached;
    }
    std::optional<bool> isBusy() override { return m_loading; }
    QString fault() const override { return m_fault; }

private:
    std::unique_ptr<QWebEnginePage> m_page;
    QString m_base;
    QUrl m_awaited;
    quint64 m_generation = 0;
    bool m_ready = false;
    bool m_loading = false;
    QString m_cached;
    QString m_fault;
};

// Flags the engine reads once, when its first page is made: as root it runs
// only without its sandbox, and a hidden page would slow its timers down.
void prepareEngineFlags()
{
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    const auto add = [&flags](const QByteArray &flag) {
        if (!flags.contains(flag))
            flags += (flags.isEmpty() ? "" : " ") + flag;
    };
    add("--disable-background-timer-throttling");
    if (geteuid() == 0)
        add("--no-sandbox");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

} // namespace

WebPageBackend::WebPageBackend(const QString &pageAddress, const QString &checkAddress)
    : m_pageAddress(pageAddress), m_checkAddress(checkAddress)
{}

WebPageBackend::~WebPageBackend() = default;

QString WebPageBackend::unusableReason() const
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return u"the translation page needs a graphical application (QGuiApplication)"_s;
    if (browserTooOld())
        return u"the browser engine (Chromium %1) is too old for the translation page"_s.arg(
            QString::fromLatin1(qWebEngineChromiumVersion()));
    return {};
}

bool WebPageBackend::browserTooOld() const
{
    return chromiumMajor() < MinimumChromium;
}

void WebPageBackend::checkConnection(QObject *context, std::function<void(bool)> done)
{
    if (m_checkAddress.isEmpty()) {
        QTimer::singleShot(0, context, [done = std::move(done)] { done(true); });
        return;
    }
    if (!m_network)
        m_network = std::make_unique<QNetworkAccessManager>();
    QNetworkRequest request(m_checkAddress);
    request.setTransferTimeout(10000);
    QNetworkReply *reply = m_network->get(request);
    QObject::connect(reply, &QNetworkReply::finished, context, [reply, done = std::move(done)] {
        reply->deleteLater();
        done(reply->error() == QNetworkReply::NoError);
    });
}

LanguagePlan WebPageBackend::plan(qsizetype articleLength) const
{
    if (articleLength < 1500)
        return {u"es"_s, u"de"_s, u"en"_s};
    return {u"es"_s, u"fr"_s, u"de"_s};
}

MagicTimings WebPageBackend::timings(qsizetype) const
{
    return {};
}

std::unique_ptr<TranslationPage> WebPageBackend::createPage()
{
    if (!m_profile) {
        prepareEngineFlags();
        // Off the record: nothing of the page is kept on the disk.
        m_profile = std::make_unique<QWebEngineProfile>();
    }
    auto page = std::make_unique<WebPage>(m_profile.get());
    page->setAddress(m_pageAddress);
    return page;
}

TranslationBackend *rewordixCreateWebBackend(const QString &pageAddress,
                                             const QString &checkAddress)
{
    return new WebPageBackend(pageAddress, checkAddress);
}
