#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

#include <memory>

// One running copy per user. The first copy holds a lock file and listens on a
// local socket; a later copy finds the lock taken, asks the first copy to show
// its window and ends without showing anything itself.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // name: "Rewordix.exe" for the program; tests pass their own.
    explicit SingleInstance(const QString &name, QObject *parent = nullptr);
    ~SingleInstance() override;

    [[nodiscard]] bool isPrimary() const { return m_primary; }

    // From a later copy: asks the first to restore and raise its window.
    // Returns false when it could not be reached in time.
    bool activatePrimary(int timeoutMs = 2000);

Q_SIGNALS:
    // In the first copy: a later copy was started.
    void activationRequested();

private:
    void acceptConnection();

    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
    bool m_primary = false;
};
