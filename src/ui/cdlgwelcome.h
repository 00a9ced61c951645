#pragma once

#include <QWidget>

// The splash window shown while the program starts.
class CDlgWelcome : public QWidget
{
    Q_OBJECT

public:
    explicit CDlgWelcome(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
