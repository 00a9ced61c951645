// Article files, Save and Save All, and the list of generated articles.
#include "app/apppaths.h"
#include "app/articlefile.h"
#include "app/articlelistlogic.h"
#include "app/articlesession.h"
#include "engine/statistics.h"
#include "rtf/rtftextdocument.h"
#include "ui/articleeditor.h"
#include "ui/articlelist.h"
#include "ui/mainwindow.h"
#include "ui/synonympopup.h"
#include "ui/uimessage.h"
#include "zip/zipwriter.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QScopedValueRollback>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString SaveFilter = u"Text Files(*.txt);;Formated Files(*.rtf)"_s;
const QString ZipFilter = u"Compressed File(*.zip)"_s;

} // namespace

QString MainWindow::articlePath(const QString &name, QStringView suffix) const
{
    return AppPaths::articlesDir() + u'/' + name + suffix;
}

void MainWindow::openArticle(const QString &path)
{
    hidePopup();
    if (!loadArticleFile(path))
        return;
    startNewArticle(QFileInfo(path).fileName());
}

void MainWindow::dropFiles(const QStringList &paths)
{
    if (paths.size() != 1 || !QFileInfo(paths.first()).isFile())
        return;
    if (refusedWhileRewriting() || !mayLeaveArticle())
        return;
    hidePopup();
    const QString &path = paths.first();
    if (!loadArticleFile(path))
        return;
    startNewArticle(QFileInfo(path).fileName());
    const bool notify = m_articleEditor->selectionNotify();
    m_articleEditor->setSelectionNotify(false);
    m_articleEditor->setCaret(0);
    m_articleEditor->setSelectionNotify(notify);
}

bool MainWindow::loadArticleFile(const QString &path)
{
    const QScopedValueRollback loading(m_loadingArticle, true);
    const bool notify = m_articleEditor->selectionNotify();
    m_articleEditor->setSelectionNotify(false);
    const bool rich = ArticleFile::isRichTextPath(path);
    const ArticleFile::ReadResult read =
        rich ? ArticleFile::readRichText(path) : ArticleFile::readText(path);
    if (!read.ok) {
        m_articleEditor->setSelectionNotify(notify);
        UiMessage::show(this, read.error, QMessageBox::Critical);
        return false;
    }
    // The editor no longer shows a generated article: nothing is written back
    // into temp/ from here on.
    m_session->setShownArticle(false);
    if (rich) {
        Rtf::toTextDocument(read.document, m_articleEditor->document());
        m_articleEditor->setCaret(0);
    } else {
        m_articleEditor->setPlainTextIn(read.text, m_defaultFormat);
    }
    settleLoadedArticle();
    m_articleEditor->setSelectionNotify(notify);
    return true;
}

void MainWindow::startNewArticle(const QString &name)
{
    m_session->startNewArticle();
    {
        const QScopedValueRollback loading(m_loadingArticle, true);
        m_sourceEditor->clear();
        m_sourceEditor->setCurrentCharFormat(m_defaultFormat);
        m_sourceEditor->document()->clearUndoRedoStacks();
    }
    m_articleList->clear();
    hideSelectAllBox();
    setSaveAllEnabled(false);
    settleLoadedArticle();
    if (name != u"NewArticle")
        setWindowTitle(name + u" - Rewordix"_s);
    m_articleLabel->setText(name);
    // The figures belong to the article that is gone.
    m_densityCombo->clear();
    m_wordsNumberLabel->setText(Statistics::labelPrefix(m_wordsNumberLabel->text()));
    m_replacedLabel->setText(Statistics::labelPrefix(m_replacedLabel->text()));
    m_wordsNumberLabel->show();
    m_replacedLabel->show();
}

void MainWindow::settleLoadedArticle()
{
    QTextDocument *document = m_articleEditor->document();
    document->clearUndoRedoStacks();
    document->setModified(false);
    m_session->clearUndoSteps();
}

bool MainWindow::mayLeaveArticle()
{
    if (!m_session->needsSaveQuestion(m_articleEditor->document()->isModified(),
                                      m_articleEditor->textLength() == 0))
        return true;
    switch (UiMessage::askSaveChanges(this, 28)) {
    case UiMessage::SaveChoice::Save:
        return saveArticle();
    case UiMessage::SaveChoice::Discard:
        return true;
    case UiMessage::SaveChoice::Cancel:
        break;
    }
    return false;
}

bool MainWindow::refusedWhileRewriting()
{
    if (!m_session->isAutoRewriting())
        return false;
    UiMessage::show(this, 16, QMessageBox::Critical);
    return true;
}

void MainWindow::captureOriginal()
{
    if (!m_session->hasOriginal())
        m_session->keepOriginal(Rtf::fromTextDocument(*m_articleEditor->document()));
}

bool MainWindow::saveArticle()
{
    const QString chosen = UiMessage::askFile(this, UiMessage::FileDialog::Save, SaveFilter);
    if (chosen.isEmpty())
        return false;
    const bool rich = ArticleFile::isRichTextPath(chosen);
    // The question is about the file that would be overwritten, so it is asked
    // after ".txt" has been added.
    const QString path = ArticleFile::withDefaultExtension(chosen, u".txt");
    if (QFileInfo::exists(path) && !UiMessage::askYesNo(this, 3))
        return false;
    QString error;
    const bool saved = rich ? ArticleFile::writeRtfFile(path, m_articleEditor->rtf(), &error)
                            : ArticleFile::writeText(path, m_articleEditor->plainText(), &error);
    if (!saved) {
        reportSaveFailures({error});
        return false;
    }
    m_articleEditor->document()->setModified(false);
    UiMessage::show(this, 4, QMessageBox::Information);
    return true;
}

void MainWindow::saveAll()
{
    // The button's right fifth is the format menu, wherever Save All came from.
    const QPoint topLeft = m_saveAllButton->mapToGlobal(QPoint(0, 0));
    if (ArticleListLogic::opensFormatMenu(QCursor::pos().x(), topLeft.x(),
                                          topLeft.x() + m_saveAllButton->width())) {
        showFormatMenu();
        return;
    }
    if (m_articleList->topLevelItemCount() == 0) {
        saveArticle();
        return;
    }
    const QStringList names = m_articleList->checkedNames();
    if (names.isEmpty()) {
        UiMessage::show(this, 17, QMessageBox::Critical);
        return;
    }
    QDir temp(AppPaths::articlesDir());
    if (temp.exists()) {
        for (const QString &file : temp.entryList({u"*.txt"_s}, QDir::Files | QDir::Hidden))
            temp.remove(file);
    }
    if (m_session->saveAllFormat() == 1)
        saveAllAsZip(names);
    else
        saveAllAsText(names);
}

QStringList MainWindow::prepareCheckedAsText(const QStringList &names)
{
    QStringList failures;
    for (const QString &name : names) {
        const ArticleFile::ReadResult rich = ArticleFile::readRichText(articlePath(name, u".rtf"));
        QString error;
        if (!rich.ok)
            failures.append(rich.error);
        else if (!ArticleFile::writeText(articlePath(name, u".txt"), Rtf::plainText(rich.document),
                                         &error))
            failures.append(error);
    }
    return failures;
}

void MainWindow::saveAllAsZip(const QStringList &names)
{
    const QString chosen = UiMessage::askFile(this, UiMessage::FileDialog::Save, ZipFilter);
    if (chosen.isEmpty())
        return;
    QStringList failures = prepareCheckedAsText(names);
    const QString path = ArticleFile::withDefaultExtension(chosen, u".zip");
    if (QFileInfo::exists(path) && !UiMessage::askYesNo(this, 3))
        return;
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        reportSaveFailures({u"%1: the folder cannot be created"_s.arg(folder)});
        return;
    }
    // The archive replaces an existing file only once it is complete.
    ZipWriter zip;
    if (zip.Create(path) != ZipWriter::Status::Ok) {
        reportSaveFailures({zip.errorString()});
        return;
    }
    for (const QString &name : names) {
        const QString source = articlePath(name, u".txt");
        if (!QFileInfo::exists(source))
            continue; // its failure is already listed
        if (zip.AddFile(name + u".txt"_s, source) != ZipWriter::Status::Ok)
            failures.append(zip.errorString());
    }
    if (zip.Close() != ZipWriter::Status::Ok)
        failures.append(zip.errorString());
    if (!failures.isEmpty()) {
        reportSaveFailures(failures);
        return;
    }
    UiMessage::show(this, 4, QMessageBox::Information);
}

void MainWindow::saveAllAsText(const QStringList &names)
{
    QStringList failures = prepareCheckedAsText(names);
    const QString folder = UiMessage::askFile(this, UiMessage::FileDialog::Folder);
    if (folder.isEmpty())
        return;
    if (!QDir().mkpath(folder)) {
        reportSaveFailures({u"%1: the folder cannot be created"_s.arg(folder)});
        return;
    }
    const QDir target(folder);
    for (const QString &name : names) {
        const QString source = articlePath(name, u".txt");
        if (!QFileInfo::exists(source))
            continue;
        const QString destination = target.filePath(name + u".txt"_s);
        // As Save does: an existing file is replaced only when the user agrees.
        if (QFileInfo::exists(destination) && !UiMessage::askYesNo(this, 3))
            continue;
        QString error;
        if (!ArticleFile::moveReplacing(source, destination, &error))
            failures.append(error);
    }
    if (!failures.isEmpty()) {
        reportSaveFailures(failures);
        return;
    }
    UiMessage::show(this, 4, QMessageBox::Information);
}

void MainWindow::reportSaveFailures(const QStringList &failures)
{
    UiMessage::show(this, u"Save failed:\n"_s + failures.join(u'\n'), QMessageBox::Critical);
}

void MainWindow::showFormatMenu()
{
    QMenu *menu = formatMenu();
    const QPoint corner =
        m_saveAllButton->mapToGlobal(QPoint(m_saveAllButton->width(), m_saveAllButton->height()));
    menu->exec(corner - QPoint(menu->sizeHint().width(), 0));
}

void MainWindow::showListArticle(QTreeWidgetItem *item)
{
    if (!m_session->isListReady() || m_session->isListBusy() || !item)
        return;
    m_session->setShownArticle(false);
    m_wordsNumberLabel->hide();
    const QString name = item->text(0);
    m_articleLabel->setText(name + u".rtf"_s);
    m_articleLabel->repaint();
    m_replacedLabel->setText(
        ArticleListLogic::replacedLabelText(m_replacedLabel->text(), item->text(1)));
    m_replacedLabel->repaint();
    loadListArticle(articlePath(name, u".rtf"));
    m_wordsNumberLabel->hide();
    m_replacedLabel->show();
}

void MainWindow::loadListArticle(const QString &path)
{
    if (!QFileInfo::exists(path)) {
        UiMessage::show(this, 5, QMessageBox::Critical);
        // Nothing is written back while the file is missing.
        m_session->setShownArticle(true, path);
        return;
    }
    const ArticleFile::ReadResult rich = ArticleFile::readRichText(path);
    if (!rich.ok) {
        // An unreadable file is not the editor's content: edits must not replace it.
        UiMessage::show(this, rich.error, QMessageBox::Critical);
        return;
    }
    const QScopedValueRollback loading(m_loadingArticle, true);
    const bool notify = m_articleEditor->selectionNotify();
    m_articleEditor->setSelectionNotify(false);
    Rtf::toTextDocument(rich.document, m_articleEditor->document());
    m_articleEditor->setCaret(0);
    settleLoadedArticle();
    m_articleEditor->setSelectionNotify(notify);
    hidePopup();
    m_session->setShownArticle(true, path);
}

void MainWindow::writeBackShownArticle()
{
    if (m_loadingArticle)
        return;
    if (m_session->writeBackShownArticle(m_articleEditor->rtf()))
        m_articleEditor->document()->setModified(false);
}

void MainWindow::deleteSelectedArticles()
{
    // Notifications are off: the row that becomes current is not shown, the
    // editor keeps the article it has.
    const QSignalBlocker block(m_articleList);
    while (QTreeWidgetItem *item = m_articleList->firstSelected()) {
        const QString name = item->text(0);
        delete item;
        if (m_articleList->topLevelItemCount() <= 5)
            hideSelectAllBox();
        for (QStringView suffix : {u".rtf", u".txt"}) {
            const QString path = articlePath(name, suffix);
            if (QFileInfo::exists(path))
                QFile::remove(path);
        }
    }
    m_articleList->setCurrentItem(nullptr);
}

void MainWindow::showListMenu(const QPoint &globalPos)
{
    listMenu()->exec(globalPos);
}

void MainWindow::hideSelectAllBox()
{
    m_selectAllCheck->setChecked(false);
    m_selectAllCheck->hide();
}

void MainWindow::setSaveAllEnabled(bool enabled)
{
    m_saveAllEnabled = enabled;
    updateActions();
}
