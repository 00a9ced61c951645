#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr auto ActivateMessage = "activate\n";

// Socket and lock names are per user, so two users of one machine each get
// their own copy.
QString perUserName(const QString &name)
{
    const QByteArray user = qgetenv("USER") + qgetenv("USERNAME") + QDir::homePath().toUtf8();
    const QByteArray hash =
        QCryptographicHash::hash(user, QCryptographicHash::Sha1).toHex().left(12);
    return name + u'-' + QString::fromLatin1(hash);
}

} // namespace

SingleInstance::SingleInstance(const QString &name, QObject *parent)
    : QObject(parent), m_serverName(perUserName(name)),
      m_lock(std::make_unique<QLockFile>(QDir::temp().filePath(m_serverName + u".lock"_s)))
{
    // tryLock removes a lock left behind by a copy that crashed.
    m_primary = m_lock->tryLock(0);
    if (!m_primary)
        return;
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    QLocalServer::removeServer(m_serverName);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_serverName);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::activatePrimary(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(ActivateMessage);
    const bool written = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return written;
}

void SingleInstance::acceptConnection()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto readRequest = [this, socket] {
            if (socket->readAll().contains("activate"))
                Q_EMIT activationRequested();
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        if (socket->bytesAvailable() > 0)
            readRequest();
    }
}
