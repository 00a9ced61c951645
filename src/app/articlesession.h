#pragma once

#include "engine/analysis.h"
#include "engine/autorewrite.h"
#include "rtf/rtfdocument.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class Dictionary;
class JobControl;

// The article being worked on, without any window: the article the user brought
// in, the generated article on show, the run flags, the statistics figures, the
// save-all format, and the two long runs (Search Phrase, Auto-rewrite) on a
// worker thread. The window and the tests drive it through its operations and
// follow it through its signals; every signal is delivered on the thread that
// owns the session.
class ArticleSession : public QObject
{
    Q_OBJECT

public:
    explicit ArticleSession(QObject *parent = nullptr);
    // Stops a run that is still going and waits for its worker.
    ~ArticleSession() override;

    void setDictionary(Dictionary *dictionary) { m_dictionary = dictionary; }
    [[nodiscard]] Dictionary *dictionary() const { return m_dictionary; }
    // The scrambled store, the ignored words and the save-all format, from Config.ini.
    void loadSettings();
    [[nodiscard]] bool scrambled() const { return m_scrambled; }
    void setIgnoreWords(const QString &words) { m_ignoreWords = words; }
    [[nodiscard]] QString ignoreWords() const { return m_ignoreWords; }

    // Tests hold a run on its worker: before each analysis, and after each
    // generated article is listed and written.
    void setBeforeAnalysis(std::function<void()> hook) { m_beforeAnalysis = std::move(hook); }
    void setAfterArticle(std::function<void(int)> hook) { m_afterArticle = std::move(hook); }

    // --- Search Phrase ---
    // 0 when the analysis of article may start, else the message that refuses it.
    [[nodiscard]] int searchPhraseRefusal(const QString &article) const;
    // Starts the analysis on a worker; false when it is refused or one is running.
    bool startAnalysis(const QString &article, const QString &reservedWords);
    [[nodiscard]] bool isAnalysing() const { return m_analysing; }
    // Pause and abort of the running analysis; null when none runs. The
    // control itself lives until the next analysis starts, since the progress
    // dialog holds it until it has closed.
    [[nodiscard]] JobControl *analysisJob() const { return m_analysing ? m_job.get() : nullptr; }

    // --- Auto-rewrite ---
    struct RewriteRequest
    {
        QString article;
        RtfDocument document; // the article with its formats
        QString reservedWords;
        int degree = AutoRewrite::VeryLow;
        int amount = 2;
    };
    // 0 when a run of article with the typed amount may start, else the
    // message that refuses it (16 running, 12 empty article, 7 bad amount).
    [[nodiscard]] int autoRewriteRefusal(const QString &article, const QString &amountText) const;
    bool startAutoRewrite(const RewriteRequest &request);
    void abortAutoRewrite();
    [[nodiscard]] bool isAutoRewriting() const { return m_autoRewriting; }
    [[nodiscard]] quint32 choiceCounter() const { return m_choiceCounter; }
    // Another run drew from the generator (Magic Rewrite), so the next
    // auto-rewrite starts from a new seed.
    void advanceChoiceCounter() { ++m_choiceCounter; }
    // A run started while a generated article is shown, or over an unchanged
    // article whose copies are listed, rewrites the article the user brought in.
    [[nodiscard]] bool runsFromOriginal(bool listHasRows, bool editorModified) const;

    // --- The article the user brought in ---
    [[nodiscard]] bool hasOriginal() const { return m_original.has_value(); }
    [[nodiscard]] const std::optional<RtfDocument> &original() const { return m_original; }
    // Kept from the first run until the next New, Open or drop.
    void keepOriginal(const RtfDocument &document);
    // New, Open and drop: no original, no article on show, no figures.
    void startNewArticle();

    // --- The generated article on show ---
    [[nodiscard]] bool isShowingArticle() const { return m_showingArticle; }
    [[nodiscard]] QString shownPath() const { return m_shownPath; }
    // path: the temp/ file edits are written back to; empty: nothing is.
    void setShownArticle(bool showing, const QString &path = {});
    // Writes the edited article back into its file; true when it was written.
    bool writeBackShownArticle(const QByteArray &rtf) const;
    [[nodiscard]] bool isListReady() const { return m_listReady; }
    [[nodiscard]] bool isListBusy() const { return m_listBusy; }

    // --- Statistics ---
    [[nodiscard]] int wordsAmount() const { return m_wordsAmount; }
    void setWordsAmount(int amount) { m_wordsAmount = amount; }
    // The popup replaced words words in the undo step undoSteps ended.
    void countReplacement(int words, int undoSteps);
    // The editor's undo stack now holds steps: undone replacements leave the
    // Replaced figure, redone ones come back (replacedChanged).
    void followUndoSteps(int steps);
    // A new edit: what Redo could bring back is gone.
    void dropRedoSteps() { m_undoneSteps.clear(); }
    // A new article in the editor: no replacements to count back.
    void clearUndoSteps();

    // --- Save All ---
    [[nodiscard]] int saveAllFormat() const { return m_saveAllFormat; }
    // 0 text files, 1 zip; Config.ini is written only on a change.
    void setSaveAllFormat(int format);

    // Whether leaving the article needs the user's word (Save / Discard / Cancel).
    [[nodiscard]] bool needsSaveQuestion(bool modified, bool empty) const;

    // After a lookup outside a run (the popup): a failed lookup is reported
    // once through lookupFailed and cleared, so later lookups start afresh.
    bool reportLookupError();

Q_SIGNALS:
    void analysisProgress(int position);
    void analysisFinished(const AnalysisResult &result);

    void wordsAmountCounted(int wordsAmount);
    void frequencySummaryReady(const QString &summary);
    void replacedAdded(int delta);
    void templateReady(const QString &templateText);
    void articleCountChanged(int count);
    void articleAdded(const GeneratedArticle &row);
    // The run has stopped; the flags still say it runs, so that the window
    // restores its editors before anything may start again.
    void autoRewriteEnding(const AutoRewriteResult &result);
    // The run is over and the article list is ready.
    void autoRewriteFinished(const AutoRewriteResult &result);

    // Undo, Redo or a choice moved the Replaced figure by delta words.
    void replacedChanged(int delta);
    void lookupFailed(const QString &message);

private:
    void finishAnalysis();
    void finishAutoRewrite(const AutoRewriteResult &result);
    AutoRewriteCallbacks rewriteCallbacks();

    Dictionary *m_dictionary = nullptr;
    bool m_scrambled = true;
    QString m_ignoreWords;
    int m_saveAllFormat = 0;
    std::function<void()> m_beforeAnalysis;
    std::function<void(int)> m_afterArticle;

    bool m_analysing = false;
    std::shared_ptr<JobControl> m_job;
    QFutureWatcher<AnalysisResult> m_analysisWatcher;

    bool m_autoRewriting = false;
    std::shared_ptr<JobControl> m_autoJob;
    QFuture<void> m_autoFuture;
    quint32 m_choiceCounter = 0;

    std::optional<RtfDocument> m_original;
    bool m_showingArticle = false;
    QString m_shownPath;
    bool m_listBusy = false;
    bool m_listReady = true;

    int m_wordsAmount = 0;
    // Replacements counted, by the undo step they ended.
    QList<std::pair<int, int>> m_countedSteps;
    QList<std::pair<int, int>> m_undoneSteps;
};
