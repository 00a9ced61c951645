#include "app/startup.h"

#include "app/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

QString Startup::defaultConfigText()
{
    return u"[General Settings]\r\n"
           u"Language=\r\n"
           u"Default Articles Number=10\r\n"
           u"Always Display Source Article=0\r\n"
           u"Default Replace Degree=5\r\n"
           u"Default Ignore Words=\r\n"
           u"Words Number=\r\n"
           u"Default Words Size=16\r\n"
           u"Default Words Color=8388608\r\n"
           u"Reserved Words Color=12632256\r\n"
           u"Default Reserved Words=\r\n"
           u"Default Words Bold=1\r\n"
           u"Default Saveall Format=0\r\n"
           u"Replaced Words Color=255\r\n"_s;
}

void Startup::prepareWorkingFiles(const QString &dir)
{
    const QDir base(dir);
    const QString config = base.filePath(u"Config.ini"_s);
    if (!QFileInfo::exists(config))
        TextFile::writeUtf16(config, QString(QChar(0xFEFF) + defaultConfigText()));

    if (!base.exists(u"temp"_s))
        base.mkdir(u"temp"_s);

    for (const QString &name : {u"temp.dat"_s, u"replacedtemp.dat"_s}) {
        const QString path = base.filePath(name);
        if (!QFileInfo::exists(path)) {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
        }
    }

    if (!base.exists(u"Language"_s))
        base.mkdir(u"Language"_s);
}
