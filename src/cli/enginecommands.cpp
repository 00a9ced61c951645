#include "cli/enginecommands.h"

#include "app/articlefile.h"
#include "app/textfile.h"
#include "cli/cliutil.h"
#include "dictionary/dictionary.h"
#include "engine/analysis.h"
#include "engine/autorewrite.h"
#include "engine/jobcontrol.h"
#include "engine/spintax.h"
#include "engine/statistics.h"
#include "engine/store.h"
#include "engine/wordcontext.h"
#include "rtf/rtfreader.h"
#include "rtf/rtfwriter.h"
#include "zip/zipwriter.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <thread>
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
    bool quiet = false;
    bool json = false;
    std::optional<quint32> seed; // a fixed clock: the same articles on every run
};

std::optional<int> parseInt(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

enum class Kind
{
    Analyse,
    Spin,
    Template,
    Resolve
};

// Reads args into options: nullopt to go on, else the exit code (0 after --help).
std::optional<int> parseOptions(const QString &command, const QStringList &args, Kind kind,
                                Options &options)
{
    const bool spin = kind == Kind::Spin || kind == Kind::Resolve;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        kind == Kind::Spin       ? u"Writes rewritten copies of an article."_s
        : kind == Kind::Template ? u"Prints the article's spin template as spintax."_s
        : kind == Kind::Resolve  ? u"Writes distinct articles from a spintax template."_s
                                 : u"Prints the analysed working store of an article."_s);
    parser.addPositionalArgument(u"FILE"_s,
                                 u"the article (.rtf as rich text); - reads standard input"_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"show this help"_s);
    const QCommandLineOption reserved(u"reserved"_s, u"words never replaced, comma-separated"_s,
                                      u"LIST"_s);
    const QCommandLineOption ignore(u"ignore"_s, u"words never looked up, comma-separated"_s,
                                    u"LIST"_s);
    const QCommandLineOption dictionary(u"dictionary"_s, u"the dictionary file to use"_s, u"DB"_s);
    const QCommandLineOption quiet({u"q"_s, u"quiet"_s}, u"print nothing but errors and data"_s);
    const QCommandLineOption json(u"json"_s, u"machine-readable output"_s);
    const QCommandLineOption count({u"n"_s, u"count"_s}, u"number of articles (2)"_s, u"N"_s);
    const QCommandLineOption degree(u"degree"_s, u"0 (Topmost) .. 5 (Very Low), 3 by default"_s,
                                    u"D"_s);
    const QCommandLineOption outDir(u"out"_s, u"write the articles into this folder"_s, u"DIR"_s);
    const QCommandLineOption zipFile(
        u"zip"_s, u"write the articles into this archive (- for standard output)"_s, u"FILE"_s);
    const QCommandLineOption text(u"txt"_s, u"UTF-16 text articles instead of rich text"_s);
    const QCommandLineOption noProtect(u"no-protect"_s,
                                       u"rewrite names, links, code and quantities too"_s);
    const QCommandLineOption seed(u"seed"_s, u"the same articles on every run"_s, u"N"_s);
    QList<QCommandLineOption> taken = {help};
    if (kind != Kind::Resolve)
        taken << reserved << ignore << dictionary;
    if (kind == Kind::Spin || kind == Kind::Template)
        taken << degree << noProtect;
    if (spin)
        taken << count << outDir << zipFile << text << seed;
    if (kind != Kind::Template)
        taken << quiet;
    if (kind == Kind::Analyse)
        taken << json;
    parser.addOptions(taken);
    // isSet() warns about an option the command does not take.
    const auto given = [&](const QCommandLineOption &option) {
        const bool known = std::any_of(taken.cbegin(), taken.cend(),
                                       [&](const auto &t) { return t.names() == option.names(); });
        return known && parser.isSet(option);
    };
    const auto valueOf = [&](const QCommandLineOption &option) {
        return given(option) ? parser.value(option) : QString();
    };
    if (!parser.parse(QStringList{u"rewordix-cli "_s + command} + args))
        return fail(command, parser.errorText(), 2);
    if (given(help)) {
        out() << Cli::helpText(parser, command);
        out().flush();
        return 0;
    }
    options.reserved = valueOf(reserved);
    options.ignore = valueOf(ignore);
    options.dictionary = valueOf(dictionary);
    options.quiet = given(quiet);
    if (spin) {
        if (given(count)) {
            const std::optional<int> n = parseInt(valueOf(count));
            if (!n || *n < 1)
                return fail(command, u"-n needs a number of articles of at least 1"_s, 2);
            options.count = *n;
        }
        if (given(seed)) {
            const std::optional<int> n = parseInt(valueOf(seed));
            if (!n || *n < 0)
                return fail(command, u"--seed needs a number of at least 0"_s, 2);
            options.seed = quint32(*n);
        }
        options.outDir = valueOf(outDir);
        options.zipFile = valueOf(zipFile);
        options.text = given(text);
        if (!options.outDir.isEmpty() && !options.zipFile.isEmpty())
            return fail(command, u"give either --out or --zip, not both"_s, 2);
    }
    options.json = kind == Kind::Analyse && given(json);
    if (given(degree)) {
        const std::optional<int> d = parseInt(valueOf(degree));
        if (!d || *d < 0 || *d > 5)
            return fail(command, u"--degree needs a number from 0 (Topmost) to 5 (Very Low)"_s, 2);
        options.degree = *d;
    }
    options.protectNames = !given(noProtect);
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return fail(command, u"no article file given"_s, 2);
    if (files.size() > 1)
        return fail(command, u"more than one article file given"_s, 2);
    options.file = files.first();
    return std::nullopt;
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

// SIGINT and SIGTERM stop the running job; the command then removes what it
// made, as on any other failure.
JobControl *g_interruptible = nullptr;
volatile std::sig_atomic_t g_signal = 0;

extern "C" void onInterrupt(int signal)
{
    g_signal = signal;
    if (JobControl *control = g_interruptible)
        control->abort(); // a lock-free atomic store
}

class InterruptGuard
{
public:
    explicit InterruptGuard(JobControl &control)
    {
        g_interruptible = &control;
        struct sigaction action = {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_oldInt);
        sigaction(SIGTERM, &action, &m_oldTerm);
        // Past a file-size limit (ulimit -f) a write fails with EFBIG like
        // one on a full disk, instead of the signal killing the process
        // before it can remove what it made.
        std::signal(SIGXFSZ, SIG_IGN);
    }
    ~InterruptGuard()
    {
        sigaction(SIGINT, &m_oldInt, nullptr);
        sigaction(SIGTERM, &m_oldTerm, nullptr);
        g_interruptible = nullptr;
    }
    Q_DISABLE_COPY_MOVE(InterruptGuard)

    // The shell's code for a process ended by the signal, or nullopt.
    static std::optional<int> exitCode()
    {
        return g_signal ? std::optional<int>(128 + g_signal) : std::nullopt;
    }

private:
    struct sigaction m_oldInt = {};
    struct sigaction m_oldTerm = {};
};

// Progress on standard error, only when it is a terminal: standard output
// carries the data.
class ProgressBar
{
public:
    explicit ProgressBar(bool enabled) : m_enabled(enabled) {}
    void setTotal(int total) { m_total = total; }
    void update(int done)
    {
        if (!m_enabled || m_total <= 0)
            return;
        constexpr int Width = 40;
        const int filled = int(qint64(done) * Width / m_total);
        if (filled == m_filled && done != m_total)
            return;
        m_filled = filled;
        err() << "\r[" << QString(filled, u'#') << QString(Width - filled, u'.') << "] " << done
              << '/' << m_total;
        err().flush();
    }
    void finish()
    {
        if (m_enabled && m_filled >= 0) {
            err() << "\r\033[K";
            err().flush();
        }
    }

private:
    bool m_enabled;
    int m_total = 0;
    int m_filled = -1;
};

// A new file in a folder of this run: written once, checked, not synced.
bool writeNewFile(const QString &path, QByteArrayView bytes, QString *error)
{
    QFile file(path);
    errno = 0;
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
        file.write(bytes.data(), bytes.size()) == bytes.size()) {
        file.close();
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    // An unbuffered write that fails leaves Qt's text as "Unknown error".
    *error = u"%1: %2"_s.arg(path, errno != 0 ? QString::fromLocal8Bit(std::strerror(errno))
                                              : file.errorString());
    return false;
}

// Flushes everything written to the file system that holds folder.
bool syncFileSystem(const QString &folder, QString *error)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    const bool synced = fd >= 0 && ::syncfs(fd) == 0;
    if (!synced)
        *error = u"%1: cannot be synced to the disk"_s.arg(folder);
    if (fd >= 0)
        ::close(fd);
    return synced;
}

// Where spin puts its articles: a staging folder inside --out whose files
// move into place only once all are written and synced; or an archive. An
// interrupted or failed run leaves neither behind, nor touches older files.
// The articles are written on a thread of their own, so that the next one is
// made while the file system creates the last one's file, which takes longer.
class ArticleSink
{
public:
    ArticleSink() = default;
    ~ArticleSink() { stopWriter(true); }
    Q_DISABLE_COPY_MOVE(ArticleSink)

    bool open(const Options &options, const QString &workDir, QString *error)
    {
        m_options = &options;
        if (!options.outDir.isEmpty()) {
            const QFileInfo target(options.outDir);
            if (target.exists() && !target.isDir()) {
                *error = options.outDir + u": is not a folder"_s;
                return false;
            }
            // A new folder is filled beside its place and renamed into it
            // whole; into an existing one the files move one by one.
            m_newFolder = !target.exists();
            const QString parent = target.absolutePath();
            if (!QDir().mkpath(m_newFolder ? parent : options.outDir)) {
                *error = options.outDir + u": cannot create the folder"_s;
                return false;
            }
            m_staging.emplace(
                m_newFolder ? QDir(parent).filePath(u".%1.rewordix-XXXXXX"_s.arg(target.fileName()))
                            : QDir(options.outDir).filePath(u".rewordix-XXXXXX"_s));
            if (!m_staging->isValid()) {
                *error = options.outDir + u": "_s + m_staging->errorString();
                return false;
            }
        } else if (!options.zipFile.isEmpty()) {
            const QString path = options.zipFile == u"-" ? QDir(workDir).filePath(u"articles.zip"_s)
                                                         : options.zipFile;
            if (m_zip.Create(path) != ZipWriter::Status::Ok) {
                *error = m_zip.errorString();
                return false;
            }
        }
        m_active = m_staging || m_zip.isOpen();
        return true;
    }

    bool isActive() const { return m_active; }
    // Where the output goes, for the free-space check.
    QString folder() const
    {
        if (m_staging)
            return m_staging->path();
        return m_options->zipFile == u"-" ? QString()
                                          : QFileInfo(m_options->zipFile).absolutePath();
    }

    // Hands an article to the writer; false with its error once a write failed.
    bool add(const QString &name, QByteArray bytes, QString *error)
    {
        std::unique_lock lock(m_mutex);
        if (!m_writer.joinable())
            m_writer = std::thread([this] { writeQueued(); });
        m_spaceFree.wait(lock,
                         [this] { return m_queue.size() < MaxQueued || !m_failure.isEmpty(); });
        if (!m_failure.isEmpty()) {
            *error = m_failure;
            return false;
        }
        m_queue.emplace_back(name, std::move(bytes));
        m_queued.notify_one();
        return true;
    }

    bool finish(const QString &workDir, QString *error)
    {
        if (const QString failure = stopWriter(false); !failure.isEmpty()) {
            *error = failure;
            return false;
        }
        return finishWritten(workDir, error);
    }

private:
    static constexpr size_t MaxQueued = 16;

    void writeQueued()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_queued.wait(lock, [this] { return !m_queue.empty() || m_closing; });
            if (m_queue.empty())
                return;
            auto [name, bytes] = std::move(m_queue.front());
            m_queue.pop_front();
            m_spaceFree.notify_one();
            lock.unlock();
            QString error;
            const bool written = write(name, bytes, &error);
            lock.lock();
            if (!written) {
                m_failure = error;
                m_spaceFree.notify_all();
                return;
            }
        }
    }

    // Ends the writer once it has written what is queued, or at once when
    // abandon; the first write's failure, if any.
    QString stopWriter(bool abandon)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_closing = true;
            if (abandon)
                m_queue.clear();
        }
        m_queued.notify_all();
        if (m_writer.joinable())
            m_writer.join();
        return m_failure;
    }

    bool write(const QString &name, QByteArrayView bytes, QString *error)
    {
        if (m_staging) {
            if (!writeNewFile(m_staging->filePath(name), bytes, error))
                return false;
            m_names.append(name);
            return true;
        }
        if (m_zip.AddData(name, bytes) != ZipWriter::Status::Ok) {
            *error = m_zip.errorString();
            return false;
        }
        return true;
    }

    bool finishWritten(const QString &workDir, QString *error)
    {
        if (m_staging) {
            if (!syncFileSystem(m_staging->path(), error))
                return false;
            if (m_newFolder && moveFolderIntoPlace())
                return syncFileSystem(QFileInfo(m_options->outDir).absolutePath(), error);
            if (!QDir().mkpath(m_options->outDir)) {
                *error = m_options->outDir + u": cannot create the folder"_s;
                return false;
            }
            const QDir target(m_options->outDir);
            for (const QString &name : std::as_const(m_names)) {
                const QString to = target.filePath(name);
                if (const QString why = TextFile::notRegularFileError(to); !why.isEmpty()) {
                    *error = to + u": "_s + why;
                    return false;
                }
                if (std::rename(QFile::encodeName(m_staging->filePath(name)).constData(),
                                QFile::encodeName(to).constData()) != 0) {
                    *error = to + u": "_s + QString::fromLocal8Bit(std::strerror(errno));
                    return false;
                }
            }
            return syncFileSystem(m_options->outDir, error);
        }
        if (m_zip.isOpen() && m_zip.Close() != ZipWriter::Status::Ok) {
            *error = m_zip.errorString();
            return false;
        }
        if (m_options->zipFile == u"-")
            return copyToStandardOutput(QDir(workDir).filePath(u"articles.zip"_s), error);
        return true;
    }

    // The staging folder becomes the output folder, with the permissions
    // mkdir would have given it; false when something took the name meanwhile.
    bool moveFolderIntoPlace()
    {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        const QByteArray staging = QFile::encodeName(m_staging->path());
        if (::chmod(staging.constData(), 0777 & ~mask) != 0 ||
            ::rename(staging.constData(), QFile::encodeName(m_options->outDir).constData()) != 0)
            return false;
        m_staging->setAutoRemove(false);
        return true;
    }

    static bool copyToStandardOutput(const QString &path, QString *error)
    {
        QFile in(path);
        QFile to;
        if (!in.open(QIODevice::ReadOnly) || !to.open(stdout, QIODevice::WriteOnly)) {
            *error = u"cannot copy the archive to standard output"_s;
            return false;
        }
        while (!in.atEnd()) {
            const QByteArray block = in.read(1 << 20);
            if (block.isEmpty() || to.write(block) != block.size()) {
                *error = u"standard output: "_s + to.errorString();
                return false;
            }
        }
        if (!to.flush()) {
            *error = u"standard output: "_s + to.errorString();
            return false;
        }
        return true;
    }

    const Options *m_options = nullptr;
    std::optional<QTemporaryDir> m_staging;
    bool m_newFolder = false;
    QStringList m_names;
    ZipWriter m_zip;
    bool m_active = false;
    // The writer thread and its queue, under m_mutex.
    std::thread m_writer;
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::condition_variable m_spaceFree;
    std::deque<std::pair<QString, QByteArray>> m_queue;
    bool m_closing = false;
    QString m_failure;
};

// Bytes count articles of about articleLength characters take: UTF-16 text
// with room for longer synonyms, rich text about three times that, an archive
// about a third.
qint64 expectedOutputBytes(qsizetype articleLength, int count, const Options &options)
{
    qint64 perArticle = (qint64(articleLength) * 3 / 2 + 64) * 2;
    if (!options.text)
        perArticle *= 3;
    if (!options.zipFile.isEmpty())
        perArticle /= 3;
    return perArticle * count;
}

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1 << 20), 'f', 1) + u" MB"_s;
}

// Why count articles of about articleLength characters cannot be written into
// folder (the working folder when empty): refused up front rather than
// failing on a full disk after minutes. Empty when they fit.
QString spaceShortage(qsizetype articleLength, int count, const Options &options,
                      const QString &folder)
{
    const qint64 needed = expectedOutputBytes(articleLength, count, options);
    const QStorageInfo storage(folder);
    if (!storage.isValid() || storage.bytesAvailable() < 0 || needed <= storage.bytesAvailable())
        return {};
    return u"%1 articles need about %2, but only %3 are free on %4"_s.arg(
        QString::number(count), megabytes(needed), megabytes(storage.bytesAvailable()),
        storage.rootPath());
}

// The end of a run that made articles: after an interruption or a failure
// none are kept; fewer than asked is said (shortfall, %1 the number made).
int keepArticles(const QString &command, const QString &failure, ArticleSink &sink,
                 const QString &workDir, const Options &options, int made, const QString &shortfall)
{
    if (const std::optional<int> code = InterruptGuard::exitCode())
        return fail(command, u"interrupted; no articles were kept"_s, *code);
    if (!failure.isEmpty())
        return fail(command, failure);
    QString error;
    if (!sink.finish(workDir, &error))
        return fail(command, error);
    if (made < options.count && !options.quiet) {
        err() << "rewordix-cli " << command << ": " << shortfall.arg(made) << '\n';
        err().flush();
    }
    return 0;
}

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
std::optional<int> prepare(const QString &command, const QStringList &args, Kind kind,
                           Prepared &job)
{
    if (const std::optional<int> code = parseOptions(command, args, kind, job.options))
        return code;
    QString error;
    const std::optional<QString> article = Cli::readArticle(job.options.file, &error);
    if (!article)
        return fail(command, error);
    job.article = *article;
    job.dictionary = Cli::openDictionary(job.options.dictionary, &job.scrambled, &error);
    if (!job.dictionary)
        return fail(command, error);
    if (!job.work.dir.isValid())
        return fail(command, u"cannot create a working folder: "_s + job.work.dir.errorString());
    return std::nullopt;
}

// The auto-rewrite of a prepared job, as spin and template run it: the
// job's options, working folder, tagger and name protection.
AutoRewriteParams autoRewriteParams(const Prepared &job)
{
    const Options &options = job.options;
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
    return params;
}

int runAnalyseCommand(const QStringList &args)
{
    const QString command = u"analyse"_s;
    Prepared job;
    if (const std::optional<int> code = prepare(command, args, Kind::Analyse, job))
        return *code;

    AnalysisParams params;
    params.article = job.article;
    params.reservedWords = job.options.reserved;
    params.ignoreWords = job.options.ignore;
    params.storePath = job.work.store();
    params.replacedStorePath = job.work.replacedStore();
    params.scrambled = job.scrambled;
    // The store is many times the article's size: it is printed from the file.
    params.keepStore = false;
    JobControl control;
    const InterruptGuard interrupt(control);
    const AnalysisResult result = Analysis::runAnalysis(params, *job.dictionary, control);
    if (const std::optional<int> code = InterruptGuard::exitCode())
        return fail(command, u"interrupted"_s, *code);
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
    QString error;
    bool first = true;
    const bool printed = Store::forEachLine(
        job.work.store(), job.scrambled,
        [&](QStringView line, bool terminated) {
            if (!job.options.json) {
                out() << line << (terminated ? "\n" : "");
                return;
            }
            if (line.isEmpty())
                return;
            // Entry by entry, keys in QJsonDocument's order.
            const StoreEntry e = Store::parseEntry(line);
            out() << (first ? "{\"entries\":[" : ",")
                  << "{\"alternatives\":" << Cli::jsonQuoted(e.alternatives) << ",\"end\":" << e.end
                  << ",\"start\":" << e.start << ",\"tag\":" << Cli::jsonQuoted(e.tag)
                  << ",\"text\":" << Cli::jsonQuoted(e.text) << '}';
            first = false;
        },
        &error);
    if (!printed)
        return fail(command, error);
    if (job.options.json) {
        out() << (first ? "{\"entries\":[" : "") << "],\"wordsAmount\":" << result.wordsAmount
              << "}\n";
        out().flush();
        return 0;
    }
    if (!job.options.quiet) {
        out() << "Statistics: "
              << Statistics::wordsAmountText(u"Word Amount:"_s, result.wordsAmount) << ' '
              << Statistics::resetStatisticsText(u"Replaced:"_s, result.wordsAmount) << '\n';
    }
    out().flush();
    return 0;
}

int runSpinCommand(const QStringList &args)
{
    const QString command = u"spin"_s;
    Prepared job;
    if (const std::optional<int> code = prepare(command, args, Kind::Spin, job))
        return *code;
    const Options &options = job.options;
    QString outputError;
    ArticleSink sink;
    if (!sink.open(options, job.work.dir.path(), &outputError))
        return fail(command, outputError);

    AutoRewriteParams params = autoRewriteParams(job);
    // Text articles go from the resolver straight to their place; rich ones
    // are made in the working folder and moved on.
    params.richArticles = !options.text && sink.isActive();
    if (options.seed)
        params.tickCount = [seed = *options.seed] {
            return seed;
        };

    ProgressBar bar(!options.quiet && isatty(fileno(stderr)) != 0);
    JobControl control;
    const InterruptGuard interrupt(control);
    AutoRewriteCallbacks callbacks;
    callbacks.articleCount = [&](int count) {
        bar.setTotal(count);
        if (!sink.isActive())
            return;
        outputError = spaceShortage(job.article.size(), count, options,
                                    sink.folder().isEmpty() ? job.work.dir.path() : sink.folder());
        if (!outputError.isEmpty())
            control.abort();
    };
    callbacks.articleAdded = [&](const GeneratedArticle &row) {
        if (row.index == 0 || !outputError.isEmpty())
            return;
        // With the archive on standard output the list would corrupt it.
        if (!options.quiet && options.zipFile != u"-")
            out() << row.name << '\t' << row.rate << '\n';
        bar.update(row.index);
        if (!sink.isActive())
            return;
        bool added = false;
        if (options.text) {
            added = sink.add(row.name + u".txt"_s, ArticleFile::encodeText(row.text), &outputError);
        } else {
            QFile rich(row.path);
            if (!rich.open(QIODevice::ReadOnly))
                outputError = u"%1: %2"_s.arg(row.path, rich.errorString());
            else
                added = sink.add(row.name + u".rtf"_s, rich.readAll(), &outputError);
            QFile::remove(row.path); // the working folder keeps no copy
        }
        if (!added)
            control.abort();
    };

    const AutoRewriteResult result =
        AutoRewrite::runAutoRewrite(params, *job.dictionary, control, callbacks);
    bar.finish();
    out().flush();
    const QString failure = !outputError.isEmpty()                      ? outputError
                            : result.status == AutoRewriteStatus::Error ? result.error
                            : result.status == AutoRewriteStatus::Aborted
                                ? u"the generation was stopped"_s
                                : QString();
    return keepArticles(command, failure, sink, job.work.dir.path(), options, result.articleCount,
                        u"the article has only %1 distinct rewritings"_s);
}

int runTemplateCommand(const QStringList &args)
{
    const QString command = u"template"_s;
    Prepared job;
    if (const std::optional<int> code = prepare(command, args, Kind::Template, job))
        return *code;
    AutoRewriteParams params = autoRewriteParams(job);
    params.requestedCount = 0;
    params.richArticles = false;
    JobControl control;
    const InterruptGuard interrupt(control);
    const AutoRewriteResult result = AutoRewrite::runAutoRewrite(params, *job.dictionary, control);
    if (const std::optional<int> code = InterruptGuard::exitCode())
        return fail(command, u"interrupted"_s, *code);
    if (result.status != AutoRewriteStatus::Finished)
        return fail(command,
                    result.error.isEmpty() ? u"the template was not made"_s : result.error);
    out() << Store::replacedAll(result.spintax, Store::LineEnd, u"\n");
    out().flush();
    return 0;
}

int runResolveCommand(const QStringList &args)
{
    const QString command = u"resolve"_s;
    Options options;
    if (const std::optional<int> code = parseOptions(command, args, Kind::Resolve, options))
        return *code;
    QString error;
    const std::optional<QString> text = Cli::readArticle(options.file, &error);
    if (!text)
        return fail(command, error);
    const QString name = options.file == u"-" ? u"standard input"_s : options.file;
    const std::optional<Spintax::Template> spin = Spintax::parse(*text, &error);
    if (!spin)
        return fail(command, name + u": "_s + error);
    QTemporaryDir work;
    if (!work.isValid())
        return fail(command, u"cannot create a working folder: "_s + work.errorString());
    ArticleSink sink;
    if (!sink.open(options, work.path(), &error))
        return fail(command, error);
    const int count = int(Spintax::distinctChoices(*spin, options.count));
    if (sink.isActive()) {
        const QString shortage = spaceShortage(
            text->size(), count, options, sink.folder().isEmpty() ? work.path() : sink.folder());
        if (!shortage.isEmpty())
            return fail(command, shortage);
    }

    JobControl control;
    const InterruptGuard interrupt(control);
    SignatureSource signatures(
        Spintax::alternativeCounts(*spin),
        [seed = options.seed.value_or(quint32(QDateTime::currentMSecsSinceEpoch()))] {
            return seed;
        },
        0, [&](QList<int> &signature) { Spintax::canonicalise(*spin, signature); });
    ProgressBar bar(!options.quiet && isatty(fileno(stderr)) != 0);
    bar.setTotal(count);
    for (int i = 1; i <= count && !control.isAborted(); ++i) {
        const QString article = Spintax::resolve(*spin, signatures.next(i));
        bar.update(i);
        if (!sink.isActive()) {
            out() << (i > 1 ? "\f\n" : "") << article;
            if (!article.endsWith(u'\n'))
                out() << '\n';
            continue;
        }
        const QString entry = QString::number(i) + (options.text ? u".txt"_s : u".rtf"_s);
        const QByteArray bytes =
            options.text ? ArticleFile::encodeText(article)
                         : ArticleFile::encodeRichText(Rtf::write(Rtf::fromPlainText(
                               article, AutoRewrite::defaultCharFormat(ArticleFormat()))));
        if (!sink.add(entry, bytes, &error))
            return fail(command, error);
    }
    bar.finish();
    out().flush();
    return keepArticles(command, {}, sink, work.path(), options, count,
                        u"the template has only %1 distinct choice sequences"_s);
}
