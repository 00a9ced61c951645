#include "cli/cliutil.h"

#include "app/apppaths.h"
#include "app/articlefile.h"
#include "app/config.h"
#include "app/language.h"
#include "dictionary/programdictionary.h"
#include "rtf/rtfdocument.h"
#include "rtf/rtfreader.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <string_view>

using namespace Qt::Literals::StringLiterals;

namespace {

// JSON's two-character escapes (RFC 8259, section 7): each character, then
// the letter after its backslash.
constexpr std::u16string_view ShortEscapes = u"\"\"\\\\\bb\ff\nn\rr\tt";

} // namespace

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
        const char16_t u = c.unicode();
        if (u >= 0x20 && u != u'"' && u != u'\\') {
            quoted += c;
            continue;
        }
        const size_t escape = ShortEscapes.find(u);
        if (escape != std::u16string_view::npos && escape % 2 == 0) {
            quoted += u'\\';
            quoted += QChar(ShortEscapes[escape + 1]);
        } else {
            quoted += u"\\u%1"_s.arg(int(u), 4, 16, QChar(u'0'));
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

std::optional<QString> Cli::readArticle(const QString &path, QString *error)
{
    ArticleFile::ReadResult read;
    bool rich = false;
    QString name = path;
    if (path == u"-") {
        name = u"standard input"_s;
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            *error = u"cannot read standard input: "_s + in.errorString();
            return std::nullopt;
        }
        const QByteArray bytes = in.readAll();
        rich = bytes.startsWith("{\\rtf");
        if (rich) {
            RtfReadResult rtf = Rtf::read(bytes);
            read.ok = rtf.ok();
            read.error = name + u": "_s + rtf.error;
            read.document = std::move(rtf.document);
        } else {
            const ArticleFile::DecodedText decoded = ArticleFile::decodeText(bytes);
            read.ok = true;
            read.text = ArticleFile::toEditorText(decoded.text);
            read.endedAtNul = decoded.endedAtNul;
        }
    } else {
        rich = path.endsWith(u".rtf"_s, Qt::CaseInsensitive);
        read = rich ? ArticleFile::readRichText(path) : ArticleFile::readText(path);
    }
    if (!read.ok) {
        *error = read.error;
        return std::nullopt;
    }
    if (read.endedAtNul) {
        Cli::err() << "rewordix-cli: warning: " << name
                   << ": the text ends at a NUL byte; what follows it is ignored\n";
        Cli::err().flush();
    }
    const QString text = rich ? Rtf::plainText(read.document) : read.text;
    if (text.trimmed().isEmpty()) {
        *error = u"%1 holds no article text"_s.arg(name);
        return std::nullopt;
    }
    return text;
}

std::unique_ptr<Dictionary> Cli::openDictionary(const QString &file, bool *scrambled,
                                                QString *error)
{
    *scrambled = true;
    if (!file.isEmpty()) {
        if (!QFileInfo::exists(file)) {
            *error = u"the dictionary %1 does not exist"_s.arg(file);
            return nullptr;
        }
        return Dictionary::open(file, true, false, error);
    }
    initialisePaths();
    ProgramDictionary opened = openProgramDictionary();
    if (!opened.isOpen()) {
        *error = opened.failureText();
        if (error->isEmpty())
            *error =
                opened.messageNumber == 1 ? u"no dictionary at "_s + opened.path : opened.error;
        return nullptr;
    }
    *scrambled = opened.scrambled;
    return std::move(opened.dictionary);
}
