#pragma once

#include <QKeyEvent>

namespace DialogKeys {

// Escape never closes a dialog of the program, and Enter presses no default
// button: both are taken here (true); a focused button or text box has
// handled Enter before the dialog sees it.
inline bool swallow(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return true;
    default:
        return false;
    }
}

} // namespace DialogKeys
