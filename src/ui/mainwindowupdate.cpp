// The update routine and About in the window: the check runs asynchronously
// (src/update); the window asks the one question and shows the notice.
#include "buildinfo.h"
#include "ui/mainwindow.h"
#include "ui/uimessage.h"

#include <QCoreApplication>
#include <QMessageBox>

using namespace Qt::Literals::StringLiterals;

void MainWindow::runUpdateCheck(UpdateCommand::Origin origin)
{
    // A second press while the first check runs would ask twice.
    if (m_updateRunning)
        return;
    m_updateRunning = true;
    auto *update = new UpdateCommand(UpdateCommand::paramsFor(origin), this);
    connect(update, &UpdateCommand::questionAsked, this, [this, update](const QString &key) {
        update->answer(UiMessage::askYesNo(this, key.mid(key.lastIndexOf(u'_') + 1).toInt()));
    });
    connect(update, &UpdateCommand::finished, this,
            [this, update](const UpdateCommand::Outcome &outcome) {
                m_updateRunning = false;
                update->deleteLater();
                if (!outcome.noticeKey.isEmpty())
                    UiMessage::show(
                        this,
                        outcome.noticeKey.mid(outcome.noticeKey.lastIndexOf(u'_') + 1).toInt(),
                        QMessageBox::Warning);
                // The normal close path keeps the article as any close does;
                // a cancelled close keeps the program running.
                if (outcome.quit && close())
                    QCoreApplication::exit(UpdateCommand::QuitExitCode);
            });
    update->start();
}

void MainWindow::showAbout()
{
    UiMessage::show(this, u"Rewordix %1"_s.arg(QString::fromUtf8(BuildInfo::Version)),
                    QMessageBox::Information);
}
