#pragma once

#include <QTabBar>

// A tab strip that reports each change of the current tab with the tab it
// left, as the skin's tab strips do.
class SkinTabBar : public QTabBar
{
    Q_OBJECT

public:
    explicit SkinTabBar(QWidget *parent = nullptr);

Q_SIGNALS:
    void tabSwitched(int previous, int current);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void report(int current);
    // The last tab reported; a change made with signals blocked is not seen,
    // so user input first takes the current tab afresh.
    int m_previous = -1;
};
