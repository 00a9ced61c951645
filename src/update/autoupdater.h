#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkReply;

// The outcome of one update check; the numbers are the check's codes.
enum class UpdateCheckCode
{
    NewerPublished = 0,
    NoConnection = 1,      // the system reports no network connection
    NotOpened = 2,         // no address, refused, failed, timed out or an HTTP error
    OwnVersionUnknown = 5, // the program's own version is empty
    NotNewer = 6,          // equal, older, or either version malformed
};

struct UpdateCheckParams
{
    QUrl folder;         // the update folder; update.ini is fetched from it
    QString ownVersion;  // UpdateVersion::builtVersion() unless a test says otherwise
    QString downloadDir; // update.ini is saved here (the working folder)
    int timeoutMs = 5000;
};

struct UpdateCheckResult
{
    UpdateCheckCode code = UpdateCheckCode::NotOpened;
    QString published; // [Program] Version, "1.0.0.0" when missing; empty when not fetched
    QString own;
    QString reason; // why NoConnection or NotOpened, for the command line
};

// One check against the published update.ini, asynchronous: check() returns
// at once and finished() follows exactly once, never from inside check(). The
// whole exchange is bounded by timeoutMs, so the window never waits on it.
//
// The answer is read from memory with a size cap (an update.ini is a few
// lines) and only from a successful answer: an HTTP error status counts as not
// opened rather than as a page without [Program]. The copy in downloadDir is
// replaced all or nothing and is not needed for the outcome.
class AutoUpdater : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 MaxAnswerBytes = 64 * 1024;

    explicit AutoUpdater(QObject *parent = nullptr);
    ~AutoUpdater() override;

    void check(const UpdateCheckParams &params);
    void abort();

    // [Program] Version of an update.ini's bytes, read the way an INI profile
    // reader does (names without regard to case, blanks and one pair of quotes
    // around the value removed); "1.0.0.0" when the section or key is missing.
    [[nodiscard]] static QString publishedVersion(const QByteArray &ini);

Q_SIGNALS:
    void finished(const UpdateCheckResult &result);

private:
    void onReadyRead();
    void onFinished();
    void finish(UpdateCheckCode code, const QString &reason = {});

    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    UpdateCheckParams m_params;
    UpdateCheckResult m_result;
    QByteArray m_answer;
    QString m_failure;
    bool m_running = false;
};
