#pragma once

#include <QDialog>

#include <atomic>

class QLabel;
class QPushButton;

// The wait dialog of an auto-rewrite run: "Auto-rewriting,Please wait..." and
// one Abort button, which reports the abort (aborted) and closes the dialog.
class AutoRewriteWaitDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AutoRewriteWaitDialog(QWidget *parent = nullptr);

    // The texts of the current language.
    void applyTexts();
    // Ends the dialog the way Abort does, as the worker's close request does.
    void closeFromWorker();

Q_SIGNALS:
    void aborted();

public Q_SLOTS:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // The window system's close request (title bar, Alt+F4) is an Abort.
    void closeEvent(QCloseEvent *event) override;

private:
    void abortRun();

    QLabel *m_text = nullptr;
    QPushButton *m_abortButton = nullptr;
};
