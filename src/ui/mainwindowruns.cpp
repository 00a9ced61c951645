// Search Phrase and Auto-rewrite as the window shows them; the runs
// themselves belong to the article session.
#include "app/articlefile.h"
#include "app/articlesession.h"
#include "app/mainwindowlogic.h"
#include "engine/statistics.h"
#include "rtf/rtftextdocument.h"
#include "ui/articleeditor.h"
#include "ui/articlelist.h"
#include "ui/autorewritewaitdialog.h"
#include "ui/mainwindow.h"
#include "ui/progressdialog.h"
#include "ui/uimessage.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScopedValueRollback>

using namespace Qt::Literals::StringLiterals;

namespace {

QList<std::pair<int, int>> toRanges(const QList<TextSpan> &spans)
{
    QList<std::pair<int, int>> ranges;
    ranges.reserve(spans.size());
    for (const TextSpan &s : spans)
        ranges.append({int(s.start), int(s.end)});
    return ranges;
}

} // namespace

void MainWindow::startAnalysis()
{
    if (m_session->isAnalysing() || !dictionary())
        return;
    const QString article = m_articleEditor->plainText();
    if (const int refusal = m_session->searchPhraseRefusal(article); refusal != 0) {
        UiMessage::show(this, refusal,
                        refusal == 16 ? QMessageBox::Critical : QMessageBox::Warning);
        return;
    }
    m_wordsNumberLabel->show();
    m_replacedLabel->show();
    m_articleEditor->setSelectionNotify(false);
    hidePopup();
    if (!m_session->startAnalysis(article, m_reservedEdit->toPlainText())) {
        m_articleEditor->setSelectionNotify(true);
        return;
    }
    m_progressDialog->begin(m_session->analysisJob(), false);
    m_progressDialog->showModal();
}

void MainWindow::applyAnalysis(const AnalysisResult &result)
{
    const bool completed = result.status == AnalysisStatus::Finished;
    // The analysed text is the same article: its unsaved state stays, and
    // the marks are no edit to undo.
    const bool modified = m_articleEditor->document()->isModified();
    const QScopedValueRollback loading(m_loadingArticle, true);
    m_articleEditor->setPlainTextIn(result.normalisedText, m_defaultFormat);
    m_articleEditor->mergeFormats(toRanges(result.reservedSpans), m_reservedFormat);
    const int wordsAmount = m_session->wordsAmount();
    if (completed) {
        m_articleEditor->mergeFormats(toRanges(result.underlineSpans), m_markedFormat);
        // The source pane gets a copy of the first analysis of the article the
        // user brought in (the clipboard is left alone); later analyses of
        // the edited article keep it.
        if (m_session->hasOriginal())
            Rtf::toTextDocument(*m_session->original(), m_sourceEditor->document());
        else
            m_sourceEditor->copyContentFrom(*m_articleEditor);
        captureOriginal();
        m_sourceEditor->document()->clearUndoRedoStacks();
        fillDensityList(result.frequencySummary);
        m_replacedLabel->setText(
            Statistics::resetStatisticsText(m_replacedLabel->text(), wordsAmount));
        m_wordsNumberLabel->setText(
            Statistics::wordsAmountText(m_wordsNumberLabel->text(), wordsAmount));
        m_sourceEditor->setCaret(0);
        m_articleEditor->setCaret(0);
        m_articleEditor->setFocus();
        m_wordsNumberLabel->show();
    }
    settleLoadedArticle();
    m_articleEditor->document()->setModified(modified);
    m_articleEditor->setSelectionNotify(true);
    m_progressDialog->finish();
    fitIntoScreen();
    if (result.status == AnalysisStatus::Failed && !result.error.isEmpty())
        UiMessage::show(this, result.error, QMessageBox::Warning);
    Q_EMIT analysisFinished(completed);
}

void MainWindow::fillDensityList(const QString &summary)
{
    m_densityCombo->clear();
    m_densityCombo->addItems(Statistics::densityItems(summary));
    m_densityCombo->setCurrentIndex(-1);
}

void MainWindow::startAutoRewrite()
{
    if (!g_bAutoRewriting &&
        (m_session->isAnalysing() || m_session->isAutoRewriting() || !dictionary()))
        return;
    // A run started while a generated article is shown rewrites the article
    // the user brought in, not one of the last run's copies.
    const bool fromOriginal = m_session->runsFromOriginal(
        m_articleList->topLevelItemCount() > 0, m_articleEditor->document()->isModified());
    ArticleSession::RewriteRequest request;
    request.article =
        fromOriginal ? Rtf::plainText(*m_session->original()) : m_articleEditor->plainText();
    const QString amountText = m_articlesNumberCombo->currentText();
    if (const int refusal = m_session->autoRewriteRefusal(request.article, amountText)) {
        // Refused before anything changes: the last run's articles stay.
        UiMessage::show(this, refusal, QMessageBox::Warning);
        return;
    }
    if (!fromOriginal)
        captureOriginal();
    m_runArticle =
        fromOriginal ? *m_session->original() : Rtf::fromTextDocument(*m_articleEditor->document());
    request.document = m_runArticle;
    request.reservedWords = m_reservedEdit->toPlainText();
    request.degree = m_degreeCombo->currentIndex();
    request.amount = *MainWindowLogic::parseArticleAmount(amountText);
    if (!m_session->startAutoRewrite(request))
        return;
    hidePopup();
    m_articleEditor->setSelectionNotify(false);
    m_articleEditor->setReadOnly(true);
    m_runTookEditor = false;
    {
        const QScopedValueRollback loading(m_loadingArticle, true);
        Rtf::toTextDocument(m_runArticle, m_sourceEditor->document());
        m_sourceEditor->document()->clearUndoRedoStacks();
    }
    m_waitDialog->applyTexts();
    m_waitDialog->setWindowModality(Qt::ApplicationModal);
    m_waitDialog->adjustSize();
    m_waitDialog->move(window()->geometry().center() - m_waitDialog->rect().center());
    m_waitDialog->show();
    m_waitDialog->raise();
    m_waitDialog->activateWindow();
}

void MainWindow::autoWordsAmount(int wordsAmount)
{
    m_session->setWordsAmount(wordsAmount);
    m_replacedLabel->setText(Statistics::resetStatisticsText(m_replacedLabel->text(), wordsAmount));
    m_wordsNumberLabel->setText(
        Statistics::wordsAmountText(m_wordsNumberLabel->text(), wordsAmount));
    m_sourceEditor->setCaret(0);
    m_articleEditor->setFocus();
    m_wordsNumberLabel->show();
    m_replacedLabel->show();
}

void MainWindow::autoTemplateReady(const QString &templateText)
{
    {
        const QScopedValueRollback loading(m_loadingArticle, true);
        m_articleEditor->setPlainTextIn(templateText, m_defaultFormat);
        settleLoadedArticle();
    }
    m_runTookEditor = true;
    hidePopup();
    hideSelectAllBox();
    m_articleList->clear();
}

void MainWindow::autoArticleAdded(const GeneratedArticle &row)
{
    QTreeWidgetItem *item = m_articleList->addArticle(row.name, row.rate);
    setSaveAllEnabled(true);
    if (row.index > 0) {
        m_articleList->scrollToItem(item);
        return;
    }
    // The original article, as written, goes back into the editor while the
    // articles are generated.
    const ArticleFile::ReadResult original = ArticleFile::readRichText(row.path);
    if (original.ok) {
        const QScopedValueRollback loading(m_loadingArticle, true);
        Rtf::toTextDocument(original.document, m_articleEditor->document());
        settleLoadedArticle();
        m_runTookEditor = false;
    }
}

void MainWindow::autoArticleCount(int count)
{
    m_articlesNumberCombo->setEditText(QString::number(count));
}

void MainWindow::autoAbortPressed()
{
    m_session->abortAutoRewrite();
    m_articleEditor->setSelectionNotify(true);
}

void MainWindow::autoRewriteEnding(const AutoRewriteResult &result)
{
    m_articleEditor->setReadOnly(false);
    const bool completed = result.status == AutoRewriteStatus::Finished;
    if (!completed && m_runTookEditor) {
        // Stopped while the template was on show: the article comes back.
        const QScopedValueRollback loading(m_loadingArticle, true);
        Rtf::toTextDocument(m_runArticle, m_articleEditor->document());
        m_articleEditor->setCaret(0);
        settleLoadedArticle();
    }
    m_runTookEditor = false;
    if (completed) {
        if (m_articleList->topLevelItemCount() > 5)
            refreshSelectAllBox();
        const ArticleFile::ReadResult original =
            ArticleFile::readRichText(articlePath(m_articleList->nameAt(0), u".rtf"));
        if (original.ok) {
            const QScopedValueRollback loading(m_loadingArticle, true);
            Rtf::toTextDocument(original.document, m_sourceEditor->document());
        }
    }
    if (m_waitDialog->isVisible())
        m_waitDialog->closeFromWorker();
    if (completed)
        UiMessage::show(this, 6, QMessageBox::Information);
    else if (result.status == AutoRewriteStatus::Error)
        UiMessage::show(this, result.error.isEmpty() ? u"Error"_s : result.error,
                        QMessageBox::Critical);
    m_articleEditor->setSelectionNotify(true);
}

void MainWindow::finishAutoRewrite(const AutoRewriteResult &result)
{
    const bool completed = result.status == AutoRewriteStatus::Finished;
    if (completed && m_articleList->topLevelItemCount() > 1) {
        QTreeWidgetItem *first = m_articleList->topLevelItem(1);
        m_articleList->setCurrentItem(first);
        m_articleList->scrollToItem(first);
    }
    Q_EMIT autoRewriteFinished(completed);
}

void MainWindow::addReplaced(int delta)
{
    m_replacedLabel->setText(Statistics::addReplacedText(m_replacedLabel->text(), delta));
}

void MainWindow::showLookupError(const QString &message)
{
    // Reported while the popup opens; the message waits until that is done.
    QMetaObject::invokeMethod(
        this, [this, message] { UiMessage::show(this, message, QMessageBox::Warning); },
        Qt::QueuedConnection);
}
