#include "cli/cliutil.h"

#include "app/apppaths.h"
#include "app/config.h"
#include "app/language.h"

#include <QCoreApplication>

QTextStream &Cli::out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &Cli::err()
{
    static QTextStream stream(stderr);
    return stream;
}

void Cli::initialisePaths()
{
    const QString installDir = QCoreApplication::applicationDirPath();
    AppPaths::initialise(installDir, AppPaths::chooseWorkDir(installDir), false);
    Language::setCurrentName(Config::language());
}
