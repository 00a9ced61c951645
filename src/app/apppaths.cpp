#include "app/apppaths.h"

#include "buildinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Folders
{
    QString install;
    QString work;
};

Folders &folders()
{
    static Folders f;
    return f;
}

QString orAppDir(const QString &dir)
{
    if (!dir.isEmpty())
        return dir;
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                        : QDir::currentPath();
}

bool canCreateFilesIn(const QString &dir)
{
    QTemporaryFile probe(dir + u"/.rewordix-write-test-XXXXXX"_s);
    return probe.open();
}

// An empty Language/ is what a working folder gets at start-up, so it does
// not count: only a shipped file does.
bool holdsShippedFiles(const QDir &dir)
{
    return dir.exists(u"Language/English.ini"_s) || dir.exists(u"SysFuns.dll"_s);
}

} // namespace

void AppPaths::initialise(const QString &installDir, const QString &workDir, bool makeCurrent)
{
    folders() = {shippedDataDir(QDir::cleanPath(installDir)), QDir::cleanPath(workDir)};
    if (makeCurrent) {
        QDir().mkpath(folders().work);
        QDir::setCurrent(folders().work);
    }
}

QString AppPaths::shippedDataDir(const QString &programDir)
{
    const QDir beside(programDir);
    if (holdsShippedFiles(beside))
        return QDir::cleanPath(programDir);
    const QString installed =
        QDir::cleanPath(beside.absoluteFilePath(QString::fromUtf8(BuildInfo::DataDirFromBinDir)));
    if (holdsShippedFiles(QDir(installed)))
        return installed;
    return QDir::cleanPath(programDir);
}

QString AppPaths::chooseWorkDir(const QString &programDir)
{
    const QString program = QDir::cleanPath(programDir);
    if (shippedDataDir(program) == program && canCreateFilesIn(program))
        return program;
    // One folder for the window and the command line, whatever the
    // application's name, so both read the same Config.ini.
    QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + u"/.local/share"_s;
    dir += u"/Rewordix"_s;
    QDir().mkpath(dir);
    return dir;
}

QString AppPaths::installDir()
{
    return orAppDir(folders().install);
}
QString AppPaths::workDir()
{
    return orAppDir(folders().work);
}

QString AppPaths::configFile()
{
    return workDir() + u"/Config.ini"_s;
}
QString AppPaths::languageDir()
{
    return installDir() + u"/Language"_s;
}
QString AppPaths::defaultDictionary()
{
    return installDir() + u"/SysFuns.dll"_s;
}
QString AppPaths::taggerModel()
{
    return installDir() + u"/tagger.model"_s;
}
QString AppPaths::storeFile()
{
    return workDir() + u"/temp.dat"_s;
}
QString AppPaths::replacedStoreFile()
{
    return workDir() + u"/replacedtemp.dat"_s;
}
QString AppPaths::articlesDir()
{
    return workDir() + u"/temp"_s;
}
