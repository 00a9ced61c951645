#include "cli/updatecheck.h"

#include "cli/cliutil.h"
#include "update/updatecommand.h"

#include <QCommandLineParser>
#include <QEventLoop>

using namespace Qt::Literals::StringLiterals;

int runUpdateCheckCommand(const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"show this help"_s);
    const QCommandLineOption urlOption(
        u"url"_s, u"the update folder to ask instead of the set one"_s, u"URL"_s);
    parser.addOptions({help, urlOption});
    if (!parser.parse(QStringList{u"rewordix-cli"_s} + args) ||
        !parser.positionalArguments().isEmpty()) {
        Cli::err() << "usage: rewordix-cli update-check [--url URL]\n";
        Cli::err().flush();
        return 2;
    }
    if (parser.isSet(help)) {
        Cli::out() << Cli::helpText(parser, u"update-check"_s);
        Cli::out().flush();
        return 0;
    }
    std::optional<QString> url;
    if (parser.isSet(urlOption))
        url = parser.value(urlOption);

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
