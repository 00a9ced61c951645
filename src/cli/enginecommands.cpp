#include "cli/enginecommands.h"

#include "app/articlefile.h"
#include "app/textfile.h"
#include "cli/cliutil.h"
#include "dictionary/programdictionary.h"
#include "engine/analysis.h"
#include "engine/autorewrite.h"
#include "engine/jobcontrol.h"
#include "engine/statistics.h"
#include "engine/wordcontext.h"
#include "rtf/rtfreader.h"
#include "zip/zipwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <optional>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QTextStream &out()
{
    return Cli::out();
}

QTextStream &err()
{
    return Cli::err();
}

int fail(const QString &command, const QString &why, int code = 1)
{
    err() << "rewordix-cli " << command << ": " << why << '\n';
    err().flush();
    return code;
}

// The options the engine commands share, with the article file.
struct Options
{
    QString file;
    QString reserved;
    QString ignore;
    QString dictionary;
    int count = 2;
    int degree = AutoRewrite::General;
    QString outDir;
    QString zipFile;
    bool text = false;
    bool protectNames = true;
    std::optional<quint32> seed; // a fixed clock: the same articles on every run
};

std::optional<int> parseInt(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// Reads args into options; returns an error text for a usage error.
QString parseOptions(const QStringList &args, bool spin, Options &options)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        auto value = [&](QString &into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        QString v;
        if (a == u"--reserved") {
            if (!value(options.reserved))
                return u"--reserved needs a list"_s;
        } else if (a == u"--ignore") {
            if (!value(options.ignore))
                return u"--ignore needs a list"_s;
        } else if (a == u"--dictionary") {
            if (!value(options.dictionary))
                return u"--dictionary needs a file"_s;
        } else if (spin && (a == u"-n" || a == u"--count")) {
            const std::optional<int> n = value(v) ? parseInt(v) : std::nullopt;
            if (!n || *n < 1)
                return u"-n needs a number of articles of at least 1"_s;
            options.count = *n;
        } else if (spin && a == u"--degree") {
            const std::optional<int> d = value(v) ? parseInt(v) : std::nullopt;
            if (!d || *d < 0 || *d > 5)
                return u"--degree needs a number from 0 (Topmost) to 5 (Very Low)"_s;
            options.degree = *d;
        } else if (spin && a == u"--out") {
            if (!value(options.outDir))
                return u"--out needs a folder"_s;
        } else if (spin && a == u"--zip") {
            if (!value(options.zipFile))
                return u"--zip needs a file name"_s;
        } else if (spin && a == u"--txt") {
            options.text = true;
        } else if (spin && a == u"--no-protect") {
            options.protectNames = false;
        } else if (spin && a == u"--seed") {
            const std::optional<int> n = value(v) ? parseInt(v) : std::nullopt;
            if (!n || *n < 0)
                return u"--seed needs a number of at least 0"_s;
            options.seed = quint32(*n);
        } else if (a.startsWith(u'-') && a.size() > 1) {
            return u"unknown option "_s + a;
        } else if (options.file.isEmpty()) {
            options.file = a;
        } else {
            return u"more than one article file given"_s;
        }
    }
    if (options.file.isEmpty())
        return u"no article file given"_s;
    if (!options.outDir.isEmpty() && !options.zipFile.isEmpty())
        return u"give either --out or --zip, not both"_s;
    return {};
}

// The article of FILE as the program opens it: .rtf (in any case) as rich
// text, anything else by its encoding; lines end in "\n".
std::optional<QString> readArticle(const QString &path, QString *error)
{
    const bool rich = path.endsWith(u".rtf"_s, Qt::CaseInsensitive);
    const ArticleFile::ReadResult read =
        rich ? ArticleFile::readRichText(path) : ArticleFile::readText(path);
    if (!read.ok) {
        *error = read.error;
        return std::nullopt;
    }
    const QString text = rich ? Rtf::plainText(read.document) : read.text;
    if (text.trimmed().isEmpty()) {
        *error = u"%1 holds no article text"_s.arg(path);
        return std::nullopt;
    }
    return text;
}

// The dictionary the desktop program opens, or the file --dictionary names
// (Synonyms scrambled, as in the shipped file). scrambled tells how the
// program keeps temp.dat with it.
std::unique_ptr<Dictionary> openDictionary(const Options &options, bool *scrambled, QString *error)
{
    *scrambled = true;
    if (!options.dictionary.isEmpty()) {
        if (!QFileInfo::exists(options.dictionary)) {
            *error = u"the dictionary %1 does not exist"_s.arg(options.dictionary);
            return nullptr;
        }
        return Dictionary::open(options.dictionary, true, false, error);
    }
    Cli::initialisePaths();
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

// The store files of one command, in a folder of its own so that the desktop
// program's temp.dat is never touched.
struct WorkFolder
{
    QTemporaryDir dir;
    QString store() const { return dir.filePath(u"temp.dat"_s); }
    QString replacedStore() const { return dir.filePath(u"replacedtemp.dat"_s); }
    QString articles() const { return dir.filePath(u"temp"_s); }
};

// A text article as the program saves one: UTF-16LE with mark, CR LF breaks.
QByteArray textArticleBytes(const QString &text)
{
    QString withCrLf = text;
    withCrLf.replace(u"\n"_s, u"\r\n"_s);
    return TextFile::toUtf16Le(QString(QChar(0xFEFF) + withCrLf));
}

class ProgressBar
{
public:
    explicit ProgressBar(bool enabled) : m_enabled(enabled) {}
    void setTotal(int total) { m_total = total; }
    // A line of output above the bar.
    void print(const QString &line)
    {
        if (m_enabled)
            out() << "\r\033[K";
        out() << line << '\n';
        draw();
    }
    void update(int done)
    {
        m_done = done;
        draw();
    }
    void finish()
    {
        if (m_enabled && m_total > 0)
            out() << "\r\033[K";
        out().flush();
    }

private:
    void draw()
    {
        if (!m_enabled || m_total <= 0) {
            out().flush();
            return;
        }
        constexpr int Width = 40;
        const int filled = int(qint64(m_done) * Width / m_total);
        out() << "\r[" << QString(filled, u'#') << QString(Width - filled, u'.') << "] " << m_done
              << '/' << m_total;
        out().flush();
    }

    bool m_enabled;
    int m_total = 0;
    int m_done = 0;
};

} // namespace

// What both commands need before they run: the options, the article, the
// dictionary and a private working folder.
struct Prepared
{
    Options options;
    QString article;
    std::unique_ptr<Dictionary> dictionary;
    bool scrambled = true;
    WorkFolder work;
};

// Fills job from the arguments; the exit code when the command cannot run.
std::optional<int> prepare(const QString &command, const QStringList &args, bool spin,
                           Prepared &job)
{
    if (const QString usage = parseOptions(args, spin, job.options); !usage.isEmpty())
        return fail(command, usage, 2);
    QString error;
    const std::optional<QString> article = readArticle(job.options.file, &error);
    if (!article)
        return fail(command, error);
    job.article = *article;
    job.dictionary = openDictionary(job.options, &job.scrambled, &error);
    if (!job.dictionary)
        return fail(command, error);
    if (!job.work.dir.isValid())
        return fail(command, u"cannot create a working folder: "_s + job.work.dir.errorString());
    return std::nullopt;
}

int runAnalyseCommand(const QStringList &args)
{
    const QString command = u"analyse"_s;
    Prepared job;
    if (const std::optional<int> code = prepare(command, args, false, job))
        return *code;

    AnalysisParams params;
    params.article = job.article;
    params.reservedWords = job.options.reserved;
    params.ignoreWords = job.options.ignore;
    params.storePath = job.work.store();
    params.replacedStorePath = job.work.replacedStore();
    params.scrambled = job.scrambled;
    JobControl control;
    const AnalysisResult result = Analysis::runAnalysis(params, *job.dictionary, control);
    switch (result.status) {
    case AnalysisStatus::Failed:
        return fail(command, result.error);
    case AnalysisStatus::Aborted:
        return fail(command, u"the analysis was stopped"_s);
    case AnalysisStatus::NoWords:
        return fail(command, u"the article has no words"_s);
    case AnalysisStatus::Finished:
        break;
    }
    QString store = result.store;
    store.replace(u"\r\n"_s, u"\n"_s);
    out() << store;
    out() << "Statistics: " << Statistics::wordsAmountText(u"Word Amount:"_s, result.wordsAmount)
          << ' ' << Statistics::resetStatisticsText(u"Replaced:"_s, result.wordsAmount) << '\n';
    out().flush();
    return 0;
}

int runSpinCommand(const QStringList &args)
{
    const QString command = u"spin"_s;
    Prepared job;
    if (const std::optional<int> code = prepare(command, args, true, job))
        return *code;
    const Options &options = job.options;
    if (!options.outDir.isEmpty() && !QDir().mkpath(options.outDir))
        return fail(command, u"cannot create the folder "_s + options.outDir);
    ZipWriter zip;
    if (!options.zipFile.isEmpty() && zip.Create(options.zipFile) != ZipWriter::Status::Ok)
        return fail(command, zip.errorString());

    AutoRewriteParams params;
    params.article = job.article;
    params.reservedWords = options.reserved;
    params.ignoreWords = options.ignore;
    params.degree = options.degree;
    params.requestedCount = options.count;
    params.storePath = job.work.store();
    params.replacedStorePath = job.work.replacedStore();
    params.articlesDir = job.work.articles();
    params.scrambled = job.scrambled;
    params.tagger = WordContext::sharedTagger();
    params.protectNames = options.protectNames;
    if (options.seed)
        params.tickCount = [seed = *options.seed] {
            return seed;
        };

    ProgressBar bar(isatty(fileno(stdout)) != 0);
    QString outputError;
    JobControl control;
    AutoRewriteCallbacks callbacks;
    callbacks.articleCount = [&](int count) {
        bar.setTotal(count);
    };
    callbacks.articleAdded = [&](const GeneratedArticle &row) {
        if (row.index == 0)
            return;
        bar.print(row.name + u'\t' + row.rate);
        bar.update(row.index);
        if (options.outDir.isEmpty() && options.zipFile.isEmpty())
            return;
        const QString name = row.name + (options.text ? u".txt"_s : u".rtf"_s);
        QString source = row.path;
        if (options.text) {
            source = job.work.dir.filePath(name);
            if (!TextFile::writeBytes(source, textArticleBytes(row.text), &outputError)) {
                control.abort();
                return;
            }
        }
        if (!options.outDir.isEmpty()) {
            const QString target = QDir(options.outDir).filePath(name);
            QFile file(source);
            if (!file.open(QIODevice::ReadOnly) ||
                !TextFile::writeBytes(target, file.readAll(), &outputError)) {
                if (outputError.isEmpty())
                    outputError = u"cannot read "_s + source;
                control.abort();
            }
        } else if (zip.AddFile(name, source) != ZipWriter::Status::Ok) {
            outputError = zip.errorString();
            control.abort();
        }
        if (options.text)
            QFile::remove(source);
    };

    const AutoRewriteResult result =
        AutoRewrite::runAutoRewrite(params, *job.dictionary, control, callbacks);
    bar.finish();
    if (!outputError.isEmpty())
        return fail(command, outputError);
    if (result.status == AutoRewriteStatus::Error)
        return fail(command, result.error);
    if (result.status == AutoRewriteStatus::Aborted)
        return fail(command, u"the generation was stopped"_s);
    if (!options.zipFile.isEmpty() && zip.Close() != ZipWriter::Status::Ok)
        return fail(command, zip.errorString());
    if (result.articleCount < options.count) {
        err() << "rewordix-cli spin: the article has only " << result.articleCount
              << " distinct rewritings\n";
        err().flush();
    }
    return 0;
}
