#include "app/articlesession.h"

#include "app/articlefile.h"
#include "app/config.h"
#include "app/mainwindowlogic.h"
#include "dictionary/dictionary.h"
#include "engine/jobcontrol.h"
#include "engine/wordcontext.h"

#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

ArticleSession::ArticleSession(QObject *parent) : QObject(parent)
{
    connect(&m_analysisWatcher, &QFutureWatcher<AnalysisResult>::finished, this,
            &ArticleSession::finishAnalysis);
}

ArticleSession::~ArticleSession()
{
    if (m_analysing) {
        m_job->abort();
        m_job->setPaused(false);
        m_analysisWatcher.waitForFinished();
    }
    if (m_autoRewriting) {
        // The session goes away with its queued results; nothing else clears the flag.
        if (m_autoJob)
            m_autoJob->abort();
        m_autoFuture.waitForFinished();
        g_bAutoRewriting = false;
    }
}

void ArticleSession::loadSettings()
{
    m_ignoreWords = Config::ignoreWords();
    m_saveAllFormat = Config::saveAllFormat();
    m_scrambled = !Config::optimizationEnabled();
}

// --- Search Phrase ---

int ArticleSession::searchPhraseRefusal(const QString &article) const
{
    if (g_bAutoRewriting)
        return 16;
    return article.isEmpty() ? 12 : 0;
}

bool ArticleSession::startAnalysis(const QString &article, const QString &reservedWords)
{
    if (m_analysing || !m_dictionary || searchPhraseRefusal(article) != 0)
        return false;
    AnalysisParams params;
    params.article = article;
    params.reservedWords = reservedWords;
    params.ignoreWords = m_ignoreWords;
    params.scrambled = m_scrambled;
    // Emitted on the worker; receivers on this thread get it queued.
    m_job =
        std::make_shared<JobControl>([this](int position) { Q_EMIT analysisProgress(position); });
    m_analysing = true;
    Dictionary &dictionary = *m_dictionary;
    m_analysisWatcher.setFuture(
        QtConcurrent::run([params, &dictionary, job = m_job, hook = m_beforeAnalysis] {
            if (hook)
                hook();
            return Analysis::runAnalysis(params, dictionary, *job);
        }));
    return true;
}

void ArticleSession::finishAnalysis()
{
    const AnalysisResult result = m_analysisWatcher.result();
    if (result.wordsAmount > 0)
        m_wordsAmount = result.wordsAmount;
    m_analysing = false;
    Q_EMIT analysisFinished(result);
}

// --- Auto-rewrite ---

int ArticleSession::autoRewriteRefusal(const QString &article, const QString &amountText) const
{
    if (g_bAutoRewriting)
        return 16;
    if (article.isEmpty())
        return 12;
    return MainWindowLogic::parseArticleAmount(amountText) ? 0 : 7;
}

bool ArticleSession::runsFromOriginal(bool listHasRows, bool editorModified) const
{
    return m_original && (m_showingArticle || (listHasRows && !editorModified));
}

AutoRewriteCallbacks ArticleSession::rewriteCallbacks()
{
    // Called on the worker: each emission reaches this thread's receivers
    // queued, in the order the worker made them.
    AutoRewriteCallbacks callbacks;
    callbacks.wordsAmount = [this](int n) {
        Q_EMIT wordsAmountCounted(n);
    };
    callbacks.frequencySummary = [this](const QString &s) {
        Q_EMIT frequencySummaryReady(s);
    };
    callbacks.replacedAdded = [this](int delta) {
        Q_EMIT replacedAdded(delta);
    };
    callbacks.templateReady = [this](const QString &text) {
        Q_EMIT templateReady(text);
    };
    callbacks.articleCount = [this](int count) {
        Q_EMIT articleCountChanged(count);
    };
    callbacks.articleAdded = [this](const GeneratedArticle &row) {
        Q_EMIT articleAdded(row);
    };
    return callbacks;
}

bool ArticleSession::startAutoRewrite(const RewriteRequest &request)
{
    if (m_analysing || m_autoRewriting || !m_dictionary || g_bAutoRewriting)
        return false;
    g_bAutoRewriting = true;
    m_listBusy = true;
    m_listReady = false;
    setShownArticle(false);

    AutoRewriteParams params;
    params.article = request.article;
    params.originalDocument = request.document;
    params.reservedWords = request.reservedWords;
    params.ignoreWords = m_ignoreWords;
    params.degree = request.degree < 0 ? AutoRewrite::VeryLow : request.degree;
    params.requestedCount = request.amount;
    params.format.face = Config::wordsFont();
    params.format.pointSize = Config::wordsSize();
    params.format.bold = Config::wordsBold();
    params.format.italic = Config::wordsItalic();
    params.format.wordsColor = Config::wordsColor();
    params.format.replacedColor = Config::replacedColor();
    params.scrambled = m_scrambled;
    params.choiceCounter = m_choiceCounter;
    params.tagger = WordContext::sharedTagger();
    params.protectNames = Config::protectNames();

    m_autoJob = std::make_shared<JobControl>([hook = m_afterArticle](int article) {
        if (hook)
            hook(article);
    });
    m_autoRewriting = true;
    Dictionary &dictionary = *m_dictionary;
    m_autoFuture = QtConcurrent::run(
        [this, params, callbacks = rewriteCallbacks(), &dictionary, job = m_autoJob] {
            const AutoRewriteResult result =
                AutoRewrite::runAutoRewrite(params, dictionary, *job, callbacks);
            QMetaObject::invokeMethod(
                this, [this, result] { finishAutoRewrite(result); }, Qt::QueuedConnection);
        });
    return true;
}

void ArticleSession::abortAutoRewrite()
{
    if (m_autoJob)
        m_autoJob->abort();
}

void ArticleSession::finishAutoRewrite(const AutoRewriteResult &result)
{
    m_autoJob.reset();
    m_autoFuture = {};
    m_autoRewriting = false;
    m_choiceCounter = result.choiceCounter;
    Q_EMIT autoRewriteEnding(result);
    const bool completed = result.status == AutoRewriteStatus::Finished;
    m_listReady = true;
    m_listBusy = false;
    if (completed)
        m_showingArticle = true;
    g_bAutoRewriting = false;
    Q_EMIT autoRewriteFinished(result);
}

// --- The article ---

void ArticleSession::keepOriginal(const RtfDocument &document)
{
    if (!m_original)
        m_original = document;
}

void ArticleSession::startNewArticle()
{
    setShownArticle(false);
    m_original.reset();
    m_wordsAmount = 0;
    clearUndoSteps();
}

void ArticleSession::setShownArticle(bool showing, const QString &path)
{
    m_showingArticle = showing;
    m_shownPath = showing ? path : QString();
}

bool ArticleSession::writeBackShownArticle(const QByteArray &rtf) const
{
    if (!m_showingArticle || m_shownPath.isEmpty() || !QFileInfo(m_shownPath).isFile())
        return false;
    return ArticleFile::writeRichText(m_shownPath, rtf);
}

// --- Statistics ---

void ArticleSession::countReplacement(int words, int undoSteps)
{
    m_countedSteps.append({undoSteps, words});
    Q_EMIT replacedChanged(words);
}

void ArticleSession::followUndoSteps(int steps)
{
    int delta = 0;
    while (!m_countedSteps.isEmpty() && m_countedSteps.last().first > steps) {
        delta -= m_countedSteps.last().second;
        m_undoneSteps.append(m_countedSteps.takeLast());
    }
    while (!m_undoneSteps.isEmpty() && m_undoneSteps.last().first <= steps) {
        delta += m_undoneSteps.last().second;
        m_countedSteps.append(m_undoneSteps.takeLast());
    }
    if (delta != 0)
        Q_EMIT replacedChanged(delta);
}

void ArticleSession::clearUndoSteps()
{
    m_countedSteps.clear();
    m_undoneSteps.clear();
}

void ArticleSession::setSaveAllFormat(int format)
{
    if (format == m_saveAllFormat)
        return;
    m_saveAllFormat = format;
    Config::setSaveAllFormat(format);
}

bool ArticleSession::needsSaveQuestion(bool modified, bool empty) const
{
    return MainWindowLogic::needsSaveQuestion(modified, empty, m_showingArticle);
}

bool ArticleSession::reportLookupError()
{
    if (!m_dictionary)
        return false;
    const QString error = m_dictionary->lastError();
    if (error.isEmpty())
        return false;
    m_dictionary->clearError();
    Q_EMIT lookupFailed(error);
    return true;
}
