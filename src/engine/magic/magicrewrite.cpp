#include "engine/magic/magicrewrite.h"

#include "app/mainwindowlogic.h"
#include "engine/magic/magictext.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QString English = u"en"_s;

// What one translation stage does once its page shows a complete translation.
struct StageRow
{
    TranslationPage *read;
    TranslationPage *awaitReady;
    TranslationPage *submitTo;
    int pauseBeforeClick;
    int pauseBeforeAddress; // -1: the page that was read stays blank
    bool clearReadPageFlag;
    bool clearSubmitPageFlag;
    QString nextFrom;
    QString nextTo;
    int position;
    MagicRewrite::Stage next;
};

} // namespace

MagicRewrite::MagicRewrite(std::unique_ptr<TranslationBackend> backend, QObject *parent)
    : QObject(parent), m_backend(std::move(backend))
{
    connect(&m_timer, &QTimer::timeout, this, &MagicRewrite::onTick);
}

MagicRewrite::~MagicRewrite() = default;

void MagicRewrite::setTimings(const MagicTimings &timings)
{
    m_timings = timings;
    m_timingsFixed = true;
}

void MagicRewrite::start(const QString &article)
{
    // The browser engine is checked until it has passed once.
    if (!m_browserChecked) {
        if (m_backend->browserTooOld()) {
            Q_EMIT messageRequested(u"MessageBox_24"_s, Icon::Warning, m_backend->unusableReason());
            return;
        }
        m_browserChecked = true;
    }
    Q_EMIT statisticsHidden();
    if (m_busy) {
        Q_EMIT messageRequested(u"MessageBox_14"_s, Icon::Warning, {});
        return;
    }
    if (g_bAutoRewriting) {
        Q_EMIT messageRequested(u"MessageBox_16"_s, Icon::Warning, {});
        return;
    }
    // Blanks alone would come back as blanks or as nothing.
    if (article.trimmed().isEmpty()) {
        Q_EMIT messageRequested(u"MessageBox_12"_s, Icon::Warning, {});
        return;
    }
    if (const QString reason = m_backend->unusableReason(); !reason.isEmpty()) {
        Q_EMIT messageRequested(QString(), Icon::Error, reason);
        return;
    }
    m_busy = true;
    m_abortRequested = false;
    m_original = article;
    m_stage = Checking;
    const quint64 run = ++m_runSerial;
    m_backend->checkConnection(this, [this, run](bool ok) {
        if (run == m_runSerial && m_stage == Checking)
            continueStart(ok);
    });
}

void MagicRewrite::continueStart(bool connected)
{
    if (!connected) {
        m_stage = Idle;
        m_busy = false;
        m_original.clear();
        Q_EMIT messageRequested(u"MessageBox_26"_s, Icon::Error, {});
        return;
    }
    if (!m_timingsFixed)
        m_timings = m_backend->timings(m_original.size());
    m_pageA = m_backend->createPage();
    m_pageB = m_backend->createPage();
    m_languages = m_backend->plan(m_original.size());
    Q_EMIT sourceArticleCopied(m_original);
    m_text = MagicText::prepare(m_original);
    Q_EMIT placeholderShown(u"MessageBox_13"_s);
    m_pageA->navigate(English, m_languages.first);
    m_pageB->navigate(m_languages.first, m_languages.second);
    m_ticks = 0;
    m_pageA->clearReady();
    m_pageB->clearReady();
    enterStage(WaitFirstPage, m_timings.firstTickMs);
    Q_EMIT progressChanged(0);
    Q_EMIT runStarted();
}

void MagicRewrite::abort()
{
    if (m_stage == Checking) {
        // Nothing has been shown yet, so there is nothing to restore.
        m_stage = Idle;
        m_busy = false;
        m_original.clear();
        return;
    }
    if (m_stage != Idle && m_stage != Restoring)
        m_abortRequested = true;
}

void MagicRewrite::enterStage(Stage stage, int intervalMs)
{
    m_stage = stage;
    Q_EMIT stageChanged(stage);
    m_timer.start(intervalMs);
}

void MagicRewrite::after(int pauseMs, std::function<void()> step)
{
    if (pauseMs <= 0)
        step();
    else
        QTimer::singleShot(pauseMs, this, std::move(step));
}

void MagicRewrite::onTick()
{
    ++m_ticks;
    if (m_abortRequested) {
        m_timer.stop();
        endByAbort();
        return;
    }
    if (m_ticks >= TimeOutTicks) {
        m_timer.stop();
        endByTimeOut(
            u"no complete translation after %1 ticks in stage %2"_s.arg(m_ticks).arg(int(m_stage)));
        return;
    }
    // A translator that cannot run at all would only reach the time-out later.
    for (const auto *page : {m_pageA.get(), m_pageB.get()}) {
        if (const QString fault = page->fault(); !fault.isEmpty()) {
            m_timer.stop();
            endByTimeOut(fault);
            return;
        }
    }
    switch (m_stage) {
    case WaitFirstPage:
        tickWaitFirstPage();
        break;
    case FirstTranslation:
    case SecondTranslation:
    case ThirdTranslation:
    case BackToEnglish:
        tickTranslation();
        break;
    case Finishing:
        tickFinishing();
        break;
    default:
        m_timer.stop();
        break;
    }
}

void MagicRewrite::tickWaitFirstPage()
{
    if (!m_pageA->isReady())
        return;
    m_timer.stop();
    Q_EMIT pauseDisabled();
    Q_EMIT progressChanged(2);
    m_ticks = 0;
    m_pageA->clearReady();
    if (m_abortRequested) {
        endByAbort();
        return;
    }
    m_pageA->setSource(m_text);
    m_pageA->submit();
    m_text.clear();
    enterStage(FirstTranslation, m_timings.tickMs);
}

void MagicRewrite::tickTranslation()
{
    TranslationPage *a = m_pageA.get();
    TranslationPage *b = m_pageB.get();
    StageRow row;
    switch (m_stage) {
    case FirstTranslation:
        row = {a,
               b,
               b,
               150,
               200,
               true,
               true,
               m_languages.second,
               m_languages.third,
               4,
               SecondTranslation};
        break;
    case SecondTranslation:
        row = {b, a, a, 100, 400, false, true, m_languages.third, English, 6, ThirdTranslation};
        break;
    case ThirdTranslation:
        row = {a, b, b, 150, 1000, false, true, English, English, 8, BackToEnglish};
        break;
    default:
        row = {b, a, a, 200, -1, true, true, {}, {}, 9, Finishing};
        break;
    }
    m_result = row.read->result();
    if (!MagicText::showsEnd(m_result) || !row.awaitReady->isReady())
        return;

    m_timer.stop();
    m_text = MagicText::withoutEllipsis(m_result);
    m_result.clear();
    m_ticks = 0;
    if (row.clearReadPageFlag)
        row.read->clearReady();
    if (row.clearSubmitPageFlag)
        row.submitTo->clearReady();
    if (m_abortRequested) {
        endByAbort();
        return;
    }
    const bool shortText = m_text.size() < PausesBelow;
    const auto scaled = [&](int ms) {
        return shortText ? ms * m_timings.pausePercent / 100 : 0;
    };
    row.submitTo->setSource(m_text);
    after(scaled(row.pauseBeforeClick), [this, row, addressPause = scaled(row.pauseBeforeAddress)] {
        row.submitTo->submit();
        row.read->navigateBlank();
        const auto finishStage = [this, row] {
            Q_EMIT progressChanged(row.position);
            enterStage(row.next, m_timings.tickMs);
        };
        if (row.pauseBeforeAddress < 0) {
            finishStage();
            return;
        }
        after(addressPause, [row, finishStage] {
            row.read->navigate(row.nextFrom, row.nextTo);
            finishStage();
        });
    });
}

void MagicRewrite::tickFinishing()
{
    const std::optional<bool> busy = m_pageA->isBusy();
    if (!busy)
        return;
    m_result = m_pageA->result();
    if (!MagicText::showsEnd(m_result) || *busy)
        return;

    m_timer.stop();
    Q_EMIT progressChanged(10);
    m_abortRequested = false;
    const QString text = MagicText::removeMarker(m_result);
    // A page that answered with the marker alone must not cost the article.
    if (text.trimmed().isEmpty()) {
        endByTimeOut(u"the translation came back empty"_s);
        return;
    }
    Q_EMIT runEnded();
    dropPages();
    clearRun();
    m_stage = Idle;
    m_busy = false;
    m_original.clear();
    Q_EMIT finished(text);
}

void MagicRewrite::endByTimeOut(const QString &detail)
{
    Q_EMIT runEnded();
    dropPages();
    clearRun();
    Q_EMIT messageRequested(u"MessageBox_15"_s, Icon::Error, detail);
    restore();
}

void MagicRewrite::endByAbort()
{
    Q_EMIT runEnded();
    dropPages();
    clearRun();
    restore();
}

// The run stays busy until the original is back, so that a new run never
// takes the restore notice for its article.
void MagicRewrite::restore()
{
    m_stage = Restoring;
    Q_EMIT stageChanged(Restoring);
    Q_EMIT restoring();
    QTimer::singleShot(m_timings.restoreMs, this, [this] {
        m_stage = Idle;
        m_busy = false;
        const QString original = std::exchange(m_original, QString());
        Q_EMIT restored(original);
    });
}

void MagicRewrite::dropPages()
{
    m_pageA.reset();
    m_pageB.reset();
}

void MagicRewrite::clearRun()
{
    m_abortRequested = false;
    m_ticks = 0;
    m_text.clear();
    m_result.clear();
}
