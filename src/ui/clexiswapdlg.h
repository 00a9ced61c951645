#pragma once

#include <QWidget>

// The main window. For now a plain window titled "Rewordix" that the program
// runs and a second copy brings to the front.
class CLexiswapDlg : public QWidget
{
    Q_OBJECT

public:
    explicit CLexiswapDlg(QWidget *parent = nullptr);

    // Restores the window when minimised and raises it above other windows.
    void bringToFront();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
