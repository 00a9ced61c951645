#include "cli/magiccommand.h"

#include "app/language.h"
#include "app/textfile.h"
#include "cli/cliutil.h"
#include "engine/magic/magicbackends.h"
#include "engine/magic/magicrewrite.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QFile>

#include <cerrno>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

int fail(const QString &why, int code = 1)
{
    Cli::err() << "rewordix-cli magic: " << why << '\n';
    Cli::err().flush();
    return code;
}

bool writeStandardOutput(const QByteArray &bytes, QString *error)
{
    QFile out;
    errno = 0;
    if (out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered) &&
        out.write(bytes) == bytes.size() && out.flush())
        return true;
    *error = u"cannot write standard output: %1"_s.arg(
        errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : out.errorString());
    return false;
}

} // namespace

bool magicNeedsGui(const QStringList &args)
{
    for (const QString &arg : args) {
        if (arg == u"--page" || arg.startsWith(u"--page="))
            return true;
    }
    return false;
}

int runMagicCommand(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Rewrites an article through a chain of machine translations and back into English."_s);
    parser.addPositionalArgument(u"FILE"_s,
                                 u"the article (.rtf as rich text); - reads standard input"_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"show this help"_s);
    const QCommandLineOption page(
        u"page"_s, u"a web translation page's address (offline Apertium without it)"_s, u"URL"_s);
    const QCommandLineOption check(u"check"_s, u"an address that must answer before a web run"_s,
                                   u"URL"_s);
    const QCommandLineOption output({u"o"_s, u"output"_s},
                                    u"write the article (UTF-8) to this file"_s, u"OUT"_s);
    parser.addOptions({help, page, check, output});
    if (!parser.parse(QStringList{u"rewordix-cli magic"_s} + args))
        return fail(parser.errorText(), 2);
    if (parser.isSet(help)) {
        Cli::out() << Cli::helpText(parser, u"magic"_s);
        Cli::out().flush();
        return 0;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1)
        return fail(files.isEmpty() ? u"no article file given"_s
                                    : u"more than one article file given"_s,
                    2);
    if (parser.isSet(page) && parser.value(page).trimmed().isEmpty())
        return fail(u"--page needs an address"_s, 2);

    Cli::initialisePaths();
    QString error;
    const std::optional<QString> article = Cli::readArticle(files.first(), &error);
    if (!article)
        return fail(error);
    const QString outPath = parser.value(output);
    if (!outPath.isEmpty() && outPath != u"-") {
        if (const QString why = TextFile::notRegularFileError(outPath); !why.isEmpty())
            return fail(why);
    }

    std::unique_ptr<TranslationBackend> backend =
        MagicBackends::create(parser.value(page).trimmed(), parser.value(check).trimmed(), &error);
    if (!backend)
        return fail(error);

    MagicRewrite chain(std::move(backend));
    QEventLoop loop;
    QString result;
    QObject::connect(&chain, &MagicRewrite::messageRequested, &loop,
                     [](const QString &key, MagicRewrite::Icon, const QString &detail) {
                         QString text = key.isEmpty() ? QString() : Language::text(key);
                         if (text.isEmpty())
                             text = key;
                         if (!detail.isEmpty())
                             text = text.isEmpty() ? detail : text + u" ("_s + detail + u')';
                         Cli::err() << "rewordix-cli magic: " << text << '\n';
                         Cli::err().flush();
                     });
    QObject::connect(&chain, &MagicRewrite::finished, &loop, [&](const QString &text) {
        result = text;
        loop.exit(0);
    });
    // The window shows a restore notice first; here the article was never touched.
    QObject::connect(&chain, &MagicRewrite::restoring, &loop, [&loop] { loop.exit(1); });
    chain.start(*article);
    if (!chain.isBusy())
        return 1;
    if (loop.exec() != 0)
        return 1;

    const QByteArray bytes = result.toUtf8();
    const bool written = outPath.isEmpty() || outPath == u"-"
                             ? writeStandardOutput(bytes, &error)
                             : TextFile::writeBytes(outPath, bytes, &error);
    return written ? 0 : fail(error);
}
