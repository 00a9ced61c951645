#pragma once

#include "update/autoupdater.h"

#include <QObject>
#include <QStringList>
#include <QUrl>

#include <functional>

// The update command routine, without a window: it runs the check, asks the
// window one Yes/No question when a newer version is published, starts the
// updater or the update page, and tells the window what to show and whether
// to quit.
//
// How the window uses it (the command's result needs no other state):
//
//   auto *update = new UpdateCommand(UpdateCommand::paramsFor(origin), this);
//   connect(update, &UpdateCommand::questionAsked, this, [=](const QString &key) {
//       // MessageBox_19: Yes and No, no icon, caption "Rewordix"
//       update->answer(askYesNo(key));
//   });
//   connect(update, &UpdateCommand::finished, this, [=](const UpdateCommand::Outcome &o) {
//       if (!o.noticeKey.isEmpty()) showWarning(o.noticeKey); // MessageBox_18 or _20
//       if (o.quit) closeAndExit(UpdateCommand::QuitExitCode);
//       update->deleteLater();
//   });
//   update->start();
//
// At start-up (after the language is set) origin is StartUp: nothing is shown
// unless a newer version is published, and the check gives up after
// StartUpTimeoutMs without holding the window. The Update command uses
// Command and shows the notice. The exit code goes through the window's
// normal close path, so the article is kept as on any other close.
class UpdateCommand : public QObject
{
    Q_OBJECT
public:
    enum class Origin
    {
        StartUp,
        Command
    };
    // The routine's return values.
    enum class Result
    {
        Other = 0,          // no newer version, or the own version unknown
        UpdaterStarted = 1, // the updater or the update page was started
        CheckFailed = 2,    // no connection, or the update information not opened
        Declined = 3,       // the user answered No
    };
    static constexpr int QuitExitCode = -1;
    static constexpr int StartUpTimeoutMs = 5000;
    static constexpr int CommandTimeoutMs = 15000;
    static constexpr char UpdaterName[] = "rewordix-update";

    struct Params
    {
        Origin origin = Origin::Command;
        UpdateCheckParams check;
        QString programDir; // where the updater is looked for
    };

    struct Outcome
    {
        Result result = Result::Other;
        UpdateCheckResult check;
        QString noticeKey; // the warning box to show ("MessageBox_18"/"_20"); empty: none
        bool quit = false; // end the application with QuitExitCode
        QString started;   // the updater program or the page address that was started
    };

    // How the updater and the page are started; tests replace them.
    struct Launcher
    {
        std::function<bool(const QString &program, const QStringList &arguments)> startProgram;
        std::function<bool(const QUrl &page)> openPage;
    };

    // The folder address ("Update URL" of Config.ini, else the build setting),
    // the built version, the working folder and the executable's folder.
    [[nodiscard]] static Params paramsFor(Origin origin);
    [[nodiscard]] static Launcher systemLauncher();

    explicit UpdateCommand(const Params &params, QObject *parent = nullptr);
    void setLauncher(const Launcher &launcher) { m_launcher = launcher; }

    void start();
    // The user's answer to questionAsked.
    void answer(bool yes);

Q_SIGNALS:
    void questionAsked(const QString &messageKey);
    void finished(const UpdateCommand::Outcome &outcome);

private:
    void onChecked(const UpdateCheckResult &result);
    void finish(Result result, const QString &noticeKey = {});

    Params m_params;
    Launcher m_launcher;
    AutoUpdater m_updater;
    Outcome m_outcome;
    bool m_asking = false;
};
