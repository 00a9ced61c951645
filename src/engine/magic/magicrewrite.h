#pragma once

#include "engine/magic/translationpage.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

// Magic Rewrite: the article goes through a chain of machine translations
// (English -> three languages -> English -> English) on two translation pages
// that take turns, and comes back as the rewritten article.
//
// The chain is a state machine driven by a QTimer on the thread the object
// lives on (the window's thread); it never touches a widget. A window drives it
// like this:
//   - Magic Rewrite button: start(article editor's plain text).
//   - runStarted(): increment the auto-rewrite choice counter, open the progress
//     dialog in its Abort-only mode at position 0; its Abort calls abort().
//   - statisticsHidden(): hide the word-amount and replaced-count labels (sent
//     on every press, also when the start is refused).
//   - messageRequested(key, icon, detail): a message box with the text of
//     language key "MessageBox_<n>" (detail is for logs and the command line;
//     an empty key means the text is detail itself).
//   - sourceArticleCopied(text): the source-article editor takes the original.
//   - placeholderShown(key): the article editor shows the key's text while the
//     chain runs ("Magic Rewriting...").
//   - progressChanged(position), pauseDisabled(): progress dialog strip and its
//     Pause button; runEnded(): close the progress dialog.
//   - finished(text): the article editor takes the rewritten text.
//   - restoring(): the article editor shows RestoringText; restored(original)
//     follows after MagicTimings::restoreMs and puts the original back (after
//     Abort and after a failure such as a time-out).
// isBusy() stays true from an accepted start() until finished() or restored().
class MagicRewrite : public QObject
{
    Q_OBJECT

public:
    enum class Icon
    {
        Warning,
        Error
    };
    // The timer ids of the stages, as the window's timers are numbered.
    enum Stage
    {
        Idle = 0,
        Checking = 1,
        WaitFirstPage = 111,
        FirstTranslation = 112,
        SecondTranslation = 113,
        ThirdTranslation = 114,
        BackToEnglish = 115,
        Finishing = 116,
        Restoring = 200
    };
    Q_ENUM(Stage)

    static constexpr int TimeOutTicks = 50;
    static constexpr qsizetype PausesBelow = 1000; // shorter texts pause between page steps
    static constexpr QStringView RestoringText = u"Restore Original Article...";

    explicit MagicRewrite(std::unique_ptr<TranslationBackend> backend, QObject *parent = nullptr);
    ~MagicRewrite() override;

    // Replaces the backend's pacing (tests run the ticks fast).
    void setTimings(const MagicTimings &timings);

    void start(const QString &article);
    // Noticed at the next tick, as the progress dialog's Abort flag is.
    void abort();

    [[nodiscard]] bool isBusy() const { return m_busy; }
    [[nodiscard]] Stage stage() const { return m_stage; }
    [[nodiscard]] LanguagePlan languages() const { return m_languages; }
    [[nodiscard]] bool hasPages() const { return m_pageA || m_pageB; }

Q_SIGNALS:
    void statisticsHidden();
    void messageRequested(const QString &key, MagicRewrite::Icon icon, const QString &detail);
    void runStarted();
    void sourceArticleCopied(const QString &original);
    void placeholderShown(const QString &key);
    void stageChanged(MagicRewrite::Stage stage);
    void progressChanged(int position);
    void pauseDisabled();
    void runEnded();
    void finished(const QString &text);
    void restoring();
    void restored(const QString &original);

private:
    void continueStart(bool connected);
    void onTick();
    void tickWaitFirstPage();
    void tickTranslation();
    void tickFinishing();
    void handOn(const QString &text);
    void enterStage(Stage stage, int intervalMs);
    void after(int pauseMs, std::function<void()> step);
    void endByTimeOut(const QString &detail);
    void endByAbort();
    void restore();
    void dropPages();
    void clearRun();

    std::unique_ptr<TranslationBackend> m_backend;
    MagicTimings m_timings;
    bool m_timingsFixed = false;
    bool m_browserChecked = false;
    bool m_busy = false;
    bool m_abortRequested = false;
    quint64 m_runSerial = 0;
    Stage m_stage = Idle;
    int m_ticks = 0;
    QTimer m_timer;
    LanguagePlan m_languages;
    QString m_original;
    QString m_text;
    QString m_result;
    std::unique_ptr<TranslationPage> m_pageA;
    std::unique_ptr<TranslationPage> m_pageB;
};
