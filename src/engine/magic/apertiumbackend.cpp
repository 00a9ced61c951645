#include "engine/magic/apertiumbackend.h"

#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// Apertium names a language by ISO 639-1 or 639-3 code, depending on the pair.
QString longCode(const QString &code)
{
    static const QHash<QString, QString> codes = {
        {u"en"_s, u"eng"_s}, {u"es"_s, u"spa"_s}, {u"fr"_s, u"fra"_s}, {u"de"_s, u"deu"_s},
        {u"it"_s, u"ita"_s}, {u"pt"_s, u"por"_s}, {u"ca"_s, u"cat"_s}, {u"nl"_s, u"nld"_s},
    };
    return codes.value(code);
}

// Intermediate languages in the order they are preferred.
const QStringList Preferred = {u"es"_s, u"fr"_s, u"ca"_s, u"pt"_s, u"it"_s, u"de"_s, u"nl"_s};

// A "page" is one Apertium pipeline. Loading the page for a language pair
// starts the pipeline, which loads its dictionaries while the other page
// translates; the text goes in on submit.
class ApertiumPage : public TranslationPage
{
public:
    explicit ApertiumPage(const ApertiumBackend &backend) : m_backend(backend) {}
    ~ApertiumPage() override { stopProcess(); }

    void navigate(const QString &from, const QString &to) override
    {
        reset();
        m_from = from;
        m_to = to;
        if (from != to) {
            if (const QString mode = m_backend.modeFor(from, to); !mode.isEmpty())
                startProcess(mode);
        }
        // Like a page load, readiness comes after the call returns.
        const quint64 load = m_load;
        QTimer::singleShot(0, &m_context, [this, load] {
            if (load == m_load)
                m_ready = true;
        });
    }
    void navigateBlank() override
    {
        reset();
        m_from.clear();
        m_to.clear();
    }
    bool isReady() const override { return m_ready; }
    void clearReady() override { m_ready = false; }
    void setSource(const QString &text) override { m_source = text; }

    void submit() override
    {
        m_result.clear();
        if (m_to.isEmpty() || m_submitted)
            return;
        if (m_from == m_to) {
            m_result = m_source;
            return;
        }
        if (!m_process) {
            const QString mode = m_backend.modeFor(m_from, m_to);
            if (mode.isEmpty()) {
                m_fault = u"Apertium has no installed pair from %1 to %2"_s.arg(m_from, m_to);
                return;
            }
            startProcess(mode);
        }
        m_submitted = true;
        m_input = m_source;
        m_process->write(m_input.toUtf8());
        m_process->closeWriteChannel();
    }

    QString result() override { return m_result; }
    std::optional<bool> isBusy() override { return m_submitted && !m_process.isNull(); }
    QString fault() const override { return m_fault; }

private:
    void startProcess(const QString &mode)
    {
        auto *process = new QProcess(&m_context);
        m_process = process;
        QObject::connect(
            process, &QProcess::finished, &m_context,
            [this, process, mode](int code, QProcess::ExitStatus status) {
                if (process != m_process)
                    return;
                if (status == QProcess::NormalExit && code == 0 && m_submitted) {
                    m_result = Apertium::tidyBlanks(
                        m_input, QString::fromUtf8(process->readAllStandardOutput()));
                } else {
                    m_fault = u"apertium %1 failed: %2"_s.arg(
                        mode, QString::fromLocal8Bit(process->readAllStandardError()).trimmed());
                }
                m_process.clear();
                process->deleteLater();
            });
        QObject::connect(process, &QProcess::errorOccurred, &m_context,
                         [this, process](QProcess::ProcessError error) {
                             if (process != m_process || error != QProcess::FailedToStart)
                                 return;
                             m_fault = u"cannot start %1: %2"_s.arg(m_backend.program(),
                                                                    process->errorString());
                             m_process.clear();
                             process->deleteLater();
                         });
        // -u: no marks on unknown words, or they would pile up hop after hop.
        process->start(m_backend.program(), {u"-u"_s, mode});
    }

    void reset()
    {
        ++m_load;
        stopProcess();
        m_ready = false;
        m_submitted = false;
        m_source.clear();
        m_input.clear();
        m_result.clear();
    }
    void stopProcess()
    {
        if (QProcess *process = m_process.data()) {
            m_process.clear();
            process->disconnect(&m_context);
            process->kill();
            process->waitForFinished(1000);
            delete process;
        }
    }

    const ApertiumBackend &m_backend;
    QObject m_context;
    QPointer<QProcess> m_process;
    quint64 m_load = 0;
    bool m_ready = false;
    bool m_submitted = false;
    QString m_from;
    QString m_to;
    QString m_source;
    QString m_input;
    QString m_result;
    QString m_fault;
};

} // namespace

ApertiumBackend::ApertiumBackend(QString program, std::optional<QStringList> modes)
    : m_program(program.isEmpty() ? QStandardPaths::findExecutable(u"apertium"_s) : program)
{
    const QStringList list = modes ? *modes : installedModes(m_program);
    m_modes = QSet<QString>(list.cbegin(), list.cend());
}

QStringList ApertiumBackend::installedModes(const QString &program)
{
    if (program.isEmpty())
        return {};
    QProcess process;
    process.start(program, {u"-l"_s});
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return {};
    QStringList modes;
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n');
    for (const QString &line : lines) {
        const QString mode = line.trimmed();
        if (!mode.isEmpty())
            modes.append(mode);
    }
    return modes;
}

QString ApertiumBackend::modeFor(const QString &from, const QString &to) const
{
    for (const QString &f : {from, longCode(from)}) {
        for (const QString &t : {to, longCode(to)}) {
            const QString mode = f + u'-' + t;
            if (!f.isEmpty() && !t.isEmpty() && m_modes.contains(mode))
                return mode;
        }
    }
    return {};
}

bool ApertiumBackend::hasPair(const QString &from, const QString &to) const
{
    return !modeFor(from, to).isEmpty() && !modeFor(to, from).isEmpty();
}

QString ApertiumBackend::unusableReason() const
{
    if (m_program.isEmpty())
        return u"Magic Rewrite needs the Apertium translator (Debian packages apertium and "
               "apertium-eng-spa) or a translation page address in Config.ini"_s;
    if (plan(0).first.isEmpty())
        return u"Apertium has no language pair to and from English installed (for example "
               "the Debian package apertium-eng-spa)"_s;
    return {};
}

void ApertiumBackend::checkConnection(QObject *context, std::function<void(bool)> done)
{
    QTimer::singleShot(0, context, [done = std::move(done)] { done(true); });
}

LanguagePlan ApertiumBackend::plan(qsizetype articleLength) const
{
    const QString en = u"en"_s;
    const auto first = std::find_if(Preferred.cbegin(), Preferred.cend(),
                                    [&](const QString &x) { return hasPair(en, x); });
    if (first == Preferred.cend())
        return {};
    if (articleLength >= 1500) {
        for (const QString &y : Preferred) {
            if (y != *first && hasPair(*first, y))
                return {*first, y, *first};
        }
    }
    return {*first, en, en};
}

MagicTimings ApertiumBackend::timings(qsizetype articleLength) const
{
    // A pass handles about 40,000 characters a second here, after about 0.1 s
    // of start-up (0.5 s on a busy machine): 50 ticks leave 4 s at the least.
    const int tick = int(std::clamp<qsizetype>(articleLength / 100, 80, 2000));
    return {tick, tick, 0, 3000};
}

std::unique_ptr<TranslationPage> ApertiumBackend::createPage()
{
    return std::make_unique<ApertiumPage>(*this);
}

QString Apertium::tidyBlanks(const QString &input, const QString &output)
{
    // Two blanks after a sentence may be the writer's own habit; inside a
    // sentence they never are.
    static const QRegularExpression anyDoubled(u"(?<=\\S) {2,}(?=\\S)"_s);
    static const QRegularExpression inSentence(u"(?<=[^\\s.!?:;]) {2,}(?=\\S)"_s);
    QString text = output;
    return text.replace(input.contains(u"  "_s) ? inSentence : anyDoubled, u" "_s);
}
