#pragma once

#include <QObject>
#include <QTimer>

class QWidget;

// Shows a widget's tooltip after its own delay instead of Qt's, which is one
// for the whole application: an event filter on that one widget, started by
// the pointer entering it and stopped by leaving, a press or hiding.
class QuickToolTip : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultDelayMs = 250;

    // Owned by widget.
    static QuickToolTip *attach(QWidget *widget, int delayMs = DefaultDelayMs);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QuickToolTip(QWidget *widget, int delayMs);
    void show();

    QWidget *m_widget;
    QTimer m_timer;
};
