#pragma once

#include <QDialog>

class JobControl;
class QPainter;
class QPushButton;

// The progress dialog of the long operations: a borderless strip of ten
// segments with Pause/Continue and Abort. Pause and Abort only set the flags of
// the attached job; the dialog stays open until its owner calls finish().
class ProgressDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int Segments = 10;

    explicit ProgressDialog(QWidget *parent = nullptr);

    // Prepares a run: position 0, flags cleared, the texts of the current
    // language, the Pause button hidden and Abort centred in abort-only mode.
    void begin(JobControl *control, bool abortOnly);
    // Shows the dialog application-modal without blocking the caller.
    void showModal();
    // Position 10, the flags cleared, the dialog closed.
    void finish();

    [[nodiscard]] int position() const { return m_position; }
    [[nodiscard]] bool isPaused() const { return m_paused; }
    [[nodiscard]] bool isAborted() const { return m_abort; }
    [[nodiscard]] bool isAbortOnly() const { return m_abortOnly; }

    // The strip's rectangle and the rectangle of segment i, in client pixels.
    [[nodiscard]] static QRect stripRect();
    [[nodiscard]] static QRect segmentRect(int i);

public Q_SLOTS:
    // 0 to 10 lit segments; called through queued signals by the workers.
    void setPosition(int position);

Q_SIGNALS:
    void pauseToggled(bool paused);
    void abortRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void togglePause();
    void abort();
    void applyTexts();
    void placeButtons();
    void paintSegments(QPainter &p);

    QPushButton *m_pauseButton = nullptr;
    QPushButton *m_abortButton = nullptr;
    JobControl *m_control = nullptr;
    int m_position = 0;
    bool m_paused = false;
    bool m_abort = false;
    bool m_abortOnly = false;
    bool m_closing = false;
};
