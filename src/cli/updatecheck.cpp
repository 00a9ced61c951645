#include "cli/updatecheck.h"

#include "cli/cliutil.h"
#include "update/updatecommand.h"

#include <QEventLoop>

using namespace Qt::Literals::StringLiterals;

int runUpdateCheckCommand(const QStringList &args)
{
    std::optional<QString> url;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--url" && i + 1 < args.size())
            url = args[++i];
        else if (args[i].startsWith(u"--url="))
            url = args[i].mid(6);
        else {
            Cli::err() << "usage: rewordix-cli update-check [--url URL]\n";
            Cli::err().flush();
            return 2;
        }
    }

    Cli::initialisePaths();
    UpdateCheckParams params = UpdateCommand::paramsFor(UpdateCommand::Origin::Command).check;
    if (url)
        params.folder = QUrl(url->trimmed(), QUrl::StrictMode);

    AutoUpdater updater;
    UpdateCheckResult result;
    QEventLoop loop;
    QObject::connect(&updater, &AutoUpdater::finished, &loop, [&](const UpdateCheckResult &r) {
        result = r;
        loop.quit();
    });
    updater.check(params);
    loop.exec();

    switch (result.code) {
    case UpdateCheckCode::NewerPublished:
        Cli::out() << "update available: " << result.published << " (this is " << result.own
                   << ")\n";
        break;
    case UpdateCheckCode::NotNewer:
        Cli::out() << "up to date: " << result.own << '\n';
        break;
    case UpdateCheckCode::OwnVersionUnknown:
    case UpdateCheckCode::NoConnection:
    case UpdateCheckCode::NotOpened:
        Cli::out() << "check failed: " << result.reason << '\n';
        Cli::out().flush();
        return 1;
    }
    Cli::out().flush();
    return 0;
}
