// Magic Rewrite in the window: the chain runs on this thread, driven by its own
// timer; the window only shows what it reports.
#include "app/articlesession.h"
#include "app/language.h"
#include "engine/magic/magicbackends.h"
#include "engine/magic/magicrewrite.h"
#include "ui/articleeditor.h"
#include "ui/mainwindow.h"
#include "ui/progressdialog.h"
#include "ui/uimessage.h"

#include <QLabel>

using namespace Qt::Literals::StringLiterals;

namespace {

// "MessageBox_13" -> 13.
int messageNumber(const QString &key)
{
    return key.mid(key.lastIndexOf(u'_') + 1).toInt();
}

} // namespace

void MainWindow::magicRewrite()
{
    if (!m_magic) {
        QString error;
        std::unique_ptr<TranslationBackend> backend = MagicBackends::fromConfig(&error);
        if (!backend) {
            UiMessage::show(this, error, QMessageBox::Critical);
            return;
        }
        m_magic = new MagicRewrite(std::move(backend), this);
        connectMagicRewrite();
    }
    m_magic->start(m_articleEditor->toPlainText());
}

void MainWindow::connectMagicRewrite()
{
    const auto showInArticle = [this](const QString &text) {
        m_articleEditor->setPlainTextIn(text, m_defaultFormat);
    };
    connect(m_magic, &MagicRewrite::statisticsHidden, this, [this] {
        m_wordsNumberLabel->hide();
        m_replacedLabel->hide();
    });
    connect(m_magic, &MagicRewrite::messageRequested, this,
            [this](const QString &key, MagicRewrite::Icon icon, const QString &detail) {
                const auto boxIcon = icon == MagicRewrite::Icon::Error ? QMessageBox::Critical
                                                                       : QMessageBox::Warning;
                if (key.isEmpty())
                    UiMessage::show(this, detail, boxIcon);
                else
                    UiMessage::show(this, messageNumber(key), boxIcon);
            });
    connect(m_magic, &MagicRewrite::runStarted, this, [this] {
        m_session->advanceChoiceCounter(); // part of the next auto-rewrite's seed
        m_progressDialog->begin(nullptr, true);
        m_progressDialog->showModal();
    });
    connect(m_progressDialog, &ProgressDialog::abortRequested, m_magic, &MagicRewrite::abort);
    connect(m_magic, &MagicRewrite::progressChanged, m_progressDialog,
            &ProgressDialog::setPosition);
    connect(m_magic, &MagicRewrite::runEnded, m_progressDialog, &ProgressDialog::finish);
    connect(m_magic, &MagicRewrite::sourceArticleCopied, this, [this](const QString &original) {
        m_sourceEditor->setPlainTextIn(original, m_defaultFormat);
    });
    connect(m_magic, &MagicRewrite::placeholderShown, this, [showInArticle](const QString &key) {
        showInArticle(Language::messageText(messageNumber(key)));
    });
    connect(m_magic, &MagicRewrite::finished, this, showInArticle);
    connect(m_magic, &MagicRewrite::restoring, this,
            [showInArticle] { showInArticle(MagicRewrite::RestoringText.toString()); });
    connect(m_magic, &MagicRewrite::restored, this, showInArticle);
}
