#include "app/apppaths.h"

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

} // namespace

void AppPaths::initialise(const QString &installDir, const QString &workDir, bool makeCurrent)
{
    folders() = {QDir::cleanPath(installDir), QDir::cleanPath(workDir)};
    if (makeCurrent) {
        QDir().mkpath(folders().work);
        QDir::setCurrent(folders().work);
    }
}

QString AppPaths::chooseWorkDir(const QString &installDir)
{
    if (canCreateFilesIn(installDir))
        return installDir;
    QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + u"/.local/share/Rewordix"_s;
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
