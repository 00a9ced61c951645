#include "cli/cliutil.h"

#include "app/apppaths.h"
#include "app/config.h"
#include "app/language.h"

#include <QCommandLineParser>
#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

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

QString Cli::jsonQuoted(QStringView text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += u'"';
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"':
            quoted += u"\\\""_s;
            break;
        case u'\\':
            quoted += u"\\\\"_s;
            break;
        case u'\b':
            quoted += u"\\b"_s;
            break;
        case u'\f':
            quoted += u"\\f"_s;
            break;
        case u'\n':
            quoted += u"\\n"_s;
            break;
        case u'\r':
            quoted += u"\\r"_s;
            break;
        case u'\t':
            quoted += u"\\t"_s;
            break;
        default:
            if (c.unicode() < 0x20)
                quoted += u"\\u%1"_s.arg(int(c.unicode()), 4, 16, QChar(u'0'));
            else
                quoted += c;
        }
    }
    quoted += u'"';
    return quoted;
}

QString Cli::helpText(const QCommandLineParser &parser, const QString &command)
{
    QString text = parser.helpText();
    const qsizetype options = text.indexOf(u" [options]");
    if (text.startsWith(u"Usage: ") && options > 0 && options < text.indexOf(u'\n'))
        text.replace(0, options, u"Usage: rewordix-cli "_s + command);
    return text;
}

void Cli::initialisePaths()
{
    const QString installDir = QCoreApplication::applicationDirPath();
    AppPaths::initialise(installDir, AppPaths::chooseWorkDir(installDir), false);
    Language::setCurrentName(Config::language());
}
