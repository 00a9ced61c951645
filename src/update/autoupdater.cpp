#include "update/autoupdater.h"

#include "update/updateversion.h"

#include <QDir>
#include <QHostAddress>
#include <QNetworkInformation>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QStringDecoder>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int MaxAddressLength = 1024;
constexpr int MaxValueLength = 1023;

bool isLoopback(const QUrl &url)
{
    const QString host = url.host();
    if (host.compare(u"localhost"_s, Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

// Only a loopback server can be reached when the system says it is offline;
// a system without a network-status backend answers "unknown", never offline.
bool systemReportsOffline(const QUrl &url)
{
    if (isLoopback(url))
        return false;
    if (!QNetworkInformation::instance())
        QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability);
    const QNetworkInformation *info = QNetworkInformation::instance();
    return info && info->reachability() == QNetworkInformation::Reachability::Disconnected;
}

QString decodeIni(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder utf16(QStringDecoder::Utf16LE);
        return utf16(bytes.mid(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    return utf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
}

QString unquoted(QString value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value.left(MaxValueLength);
}

void keepCopy(const QString &dir, const QByteArray &bytes)
{
    if (dir.isEmpty())
        return;
    QSaveFile file(QDir(dir).filePath(u"update.ini"_s));
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush())
        file.commit();
    else
        file.cancelWriting();
}

} // namespace

AutoUpdater::AutoUpdater(QObject *parent) : QObject(parent)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_failure = u"no answer within %1 s"_s.arg(m_params.timeoutMs / 1000.0);
        if (m_reply)
            m_reply->abort();
    });
}

AutoUpdater::~AutoUpdater()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void AutoUpdater::check(const UpdateCheckParams &params)
{
    if (m_running)
        return;
    m_running = true;
    m_params = params;
    m_result = {};
    m_result.own = params.ownVersion;
    m_answer.clear();
    m_failure.clear();

    const auto failLater = [this](UpdateCheckCode code, const QString &reason) {
        QMetaObject::invokeMethod(
            this, [this, code, reason] { finish(code, reason); }, Qt::QueuedConnection);
    };
    if (params.folder.isEmpty())
        return failLater(UpdateCheckCode::NotOpened, u"no update address is set"_s);
    const QString scheme = params.folder.scheme().toLower();
    if (!params.folder.isValid() || (scheme != u"http" && scheme != u"https"))
        return failLater(UpdateCheckCode::NotOpened,
                         u"not an http or https address: "_s + params.folder.toString());
    if (systemReportsOffline(params.folder))
        return failLater(UpdateCheckCode::NoConnection, u"no network connection"_s);

    QUrl folder = params.folder;
    if (!folder.path().endsWith(u'/'))
        folder.setPath(folder.path() + u'/');
    const QUrl address = folder.resolved(QUrl(u"update.ini"_s));
    if (address.toEncoded().size() > MaxAddressLength)
        return failLater(UpdateCheckCode::NotOpened, u"the update address is too long"_s);

    QNetworkRequest request(address);
    request.setHeader(QNetworkRequest::UserAgentHeader, u"AutoUpdateAgent"_s);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Cache-Control", "no-cache");
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &AutoUpdater::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &AutoUpdater::onFinished);
    m_deadline.start(params.timeoutMs);
}

void AutoUpdater::abort()
{
    if (!m_reply)
        return;
    m_failure = u"cancelled"_s;
    m_reply->abort();
}

void AutoUpdater::onReadyRead()
{
    m_answer += m_reply->readAll();
    if (m_answer.size() > MaxAnswerBytes && m_failure.isEmpty()) {
        m_failure = u"the answer is larger than %1 bytes"_s.arg(MaxAnswerBytes);
        m_reply->abort();
    }
}

void AutoUpdater::onFinished()
{
    m_deadline.stop();
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    if (!m_failure.isEmpty())
        return finish(UpdateCheckCode::NotOpened, m_failure);
    m_answer += reply->readAll();
    if (reply->error() != QNetworkReply::NoError) {
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        return finish(
            UpdateCheckCode::NotOpened,
            reply->url().toString() + u": "_s +
                (status.isValid() ? u"HTTP status "_s + status.toString() : reply->errorString()));
    }
    if (m_answer.size() > MaxAnswerBytes)
        return finish(UpdateCheckCode::NotOpened,
                      u"the answer is larger than %1 bytes"_s.arg(MaxAnswerBytes));

    keepCopy(m_params.downloadDir, m_answer);
    if (m_params.ownVersion.isEmpty())
        return finish(UpdateCheckCode::OwnVersionUnknown, u"the program's version is unknown"_s);
    m_result.published = publishedVersion(m_answer);
    finish(UpdateVersion::isNewer(m_result.published, m_params.ownVersion)
               ? UpdateCheckCode::NewerPublished
               : UpdateCheckCode::NotNewer);
}

void AutoUpdater::finish(UpdateCheckCode code, const QString &reason)
{
    m_running = false;
    m_result.code = code;
    m_result.reason = reason;
    Q_EMIT finished(m_result);
}

QString AutoUpdater::publishedVersion(const QByteArray &ini)
{
    bool inProgram = false;
    const QString text = decodeIni(ini);
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            inProgram =
                close > 0 &&
                line.mid(1, close - 1).trimmed().compare(u"Program", Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (inProgram && equals > 0 &&
            line.left(equals).trimmed().compare(u"Version", Qt::CaseInsensitive) == 0)
            return unquoted(line.mid(equals + 1).trimmed().toString());
    }
    return u"1.0.0.0"_s;
}
