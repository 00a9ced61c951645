#include "update/updatecommand.h"

#include "app/apppaths.h"
#include "app/config.h"
#include "buildinfo.h"
#include "update/updateversion.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;

namespace {

QUrl folderWithSlash(QUrl folder)
{
    if (!folder.path().endsWith(u'/'))
        folder.setPath(folder.path() + u'/');
    return folder;
}

} // namespace

UpdateCommand::Params UpdateCommand::paramsFor(Origin origin)
{
    QString folder = Config::updateUrl().trimmed();
    if (folder.isEmpty())
        folder = QString::fromUtf8(BuildInfo::UpdateFolderUrl);
    Params params;
    params.origin = origin;
    params.check.folder = QUrl(folder, QUrl::StrictMode);
    params.check.ownVersion = UpdateVersion::builtVersion();
    params.check.downloadDir = AppPaths::workDir();
    params.check.timeoutMs = origin == Origin::StartUp ? StartUpTimeoutMs : CommandTimeoutMs;
    params.programDir = QCoreApplication::applicationDirPath();
    return params;
}

UpdateCommand::Launcher UpdateCommand::systemLauncher()
{
    return {[](const QString &program, const QStringList &arguments) {
                return QProcess::startDetached(program, arguments,
                                               QFileInfo(program).absolutePath());
            },
            [](const QUrl &page) {
                return QDesktopServices::openUrl(page);
            }};
}

UpdateCommand::UpdateCommand(const Params &params, QObject *parent)
    : QObject(parent), m_params(params), m_launcher(systemLauncher())
{
    connect(&m_updater, &AutoUpdater::finished, this, &UpdateCommand::onChecked);
}

void UpdateCommand::start()
{
    m_outcome = {};
    m_updater.check(m_params.check);
}

void UpdateCommand::onChecked(const UpdateCheckResult &result)
{
    m_outcome.check = result;
    const bool fromCommand = m_params.origin == Origin::Command;
    switch (result.code) {
    case UpdateCheckCode::NewerPublished:
        // The dictionary's entry count is counted again by the new version.
        Config::setWordsNumber(QString());
        m_asking = true;
        Q_EMIT questionAsked(u"MessageBox_19"_s);
        return;
    case UpdateCheckCode::NoConnection:
    case UpdateCheckCode::NotOpened:
        return finish(Result::CheckFailed, fromCommand ? u"MessageBox_18"_s : QString());
    case UpdateCheckCode::OwnVersionUnknown:
    case UpdateCheckCode::NotNewer:
        return finish(Result::Other, fromCommand ? u"MessageBox_20"_s : QString());
    }
}

void UpdateCommand::answer(bool yes)
{
    if (!m_asking)
        return;
    m_asking = false;
    if (!yes)
        return finish(Result::Declined);

    // An updater that is missing or does not start leaves the page; when
    // neither starts the program stays open, since quitting would help nobody.
    const QString updater = QDir(m_params.programDir).filePath(QString::fromUtf8(UpdaterName));
    const QFileInfo info(updater);
    if (info.isFile() && info.isExecutable() && m_launcher.startProgram(updater, {u"IsNew"_s})) {
        m_outcome.started = updater;
    } else {
        const QUrl page = folderWithSlash(m_params.check.folder).resolved(QUrl(u"update.html"_s));
        if (!m_launcher.openPage(page))
            return finish(Result::CheckFailed, u"MessageBox_18"_s);
        m_outcome.started = page.toString();
    }
    m_outcome.quit = true;
    finish(Result::UpdaterStarted);
}

void UpdateCommand::finish(Result result, const QString &noticeKey)
{
    m_outcome.result = result;
    m_outcome.noticeKey = noticeKey;
    Q_EMIT finished(m_outcome);
}
