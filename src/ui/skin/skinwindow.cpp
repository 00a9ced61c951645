#include "ui/skin/skinwindow.h"

#include "ui/skin/skin.h"
#include "ui/skin/skintitlebar.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

QRegion SkinShape::windowMask(const QImage &background, QSize size)
{
    QRegion shape(QRect(QPoint(0, 0), size));
    if (background.width() < Corner || background.height() < Corner || size.width() < 2 * Corner ||
        size.height() < 2 * Corner)
        return shape;
    const QImage image = background.convertToFormat(QImage::Format_ARGB32);
    const int imageRight = image.width() - Corner;
    const int imageBottom = image.height() - Corner;
    const QPoint corners[][2] = {
        {{0, 0}, {0, 0}},
        {{imageRight, 0}, {size.width() - Corner, 0}},
        {{0, imageBottom}, {0, size.height() - Corner}},
        {{imageRight, imageBottom}, {size.width() - Corner, size.height() - Corner}},
    };
    for (const auto &[from, to] : corners) {
        for (int y = 0; y < Corner; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(from.y() + y));
            // Runs of keyed pixels, one rectangle each.
            for (int x = 0; x < Corner;) {
                if (line[from.x() + x] != ColourKey) {
                    ++x;
                    continue;
                }
                const int start = x;
                while (x < Corner && line[from.x() + x] == ColourKey)
                    ++x;
                shape -= QRect(to.x() + start, to.y() + y, x - start, 1);
            }
        }
    }
    return shape;
}

SkinWindow *SkinWindow::attach(QWidget *window, const Options &options)
{
    const bool skinned = Skin::instance().isSkinned();
    if (!skinned && !options.alwaysBorderless)
        return nullptr;
    return new SkinWindow(window, options);
}

SkinWindow::SkinWindow(QWidget *window, const Options &options)
    : QObject(window), m_window(window), m_options(options)
{
    m_window->setWindowFlag(Qt::FramelessWindowHint, true);
    m_painted = Skin::instance().isSkinned();
    if (m_painted) {
        m_shapeImage = Skin::instance().image(options.background);
        m_body = m_shapeImage.pixelColor(m_shapeImage.width() / 2,
                                         m_shapeImage.height() - options.slices.bottom() - 1);
        if (options.titleBar) {
            m_titleBar = new SkinTitleBar(window, options.caption, options.close, options.minimise);
            // The layout's contents start below the band.
            if (QLayout *layout = window->layout()) {
                QMargins margins = layout->contentsMargins();
                margins.setTop(options.slices.top() + margins.top() / 2);
                layout->setContentsMargins(margins);
            }
        }
    }
    window->installEventFilter(this);
}

bool SkinWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::Paint:
        // Runs inside the window's paint event, before its own paintEvent.
        if (m_painted)
            paintBackground();
        return false;
    case QEvent::WindowTitleChange:
        if (m_titleBar)
            m_titleBar->followTitle();
        return false;
    case QEvent::Resize:
        if (m_painted)
            reshape();
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        return dragEvent(event);
    default:
        return false;
    }
}

void SkinWindow::paintBackground()
{
    QPainter painter(m_window);
    const QPixmap background = Skin::instance().pixmap(m_options.background);
    if (m_window->size() == m_shapeImage.size()) {
        painter.drawPixmap(m_window->rect(), background);
        return;
    }
    // A stretched bitmap's body is one colour: filling it costs far less than
    // stretching the centre slice over the window at every frame.
    const QRect centre = m_window->rect() - m_options.slices;
    painter.fillRect(centre, m_body);
    painter.setClipRegion(QRegion(m_window->rect()) - centre);
    Skin::drawSlices(&painter, m_window->rect(), m_options.slices, background);
}

void SkinWindow::reshape()
{
    m_window->setMask(SkinShape::windowMask(m_shapeImage, m_window->size()));
    if (m_titleBar)
        m_titleBar->setGeometry(1, 0, m_window->width() - 2, m_options.slices.top());
}

bool SkinWindow::dragEvent(QEvent *event)
{
    auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint global = mouse->globalPosition().toPoint();
    if (event->type() == QEvent::MouseButtonPress) {
        if (mouse->button() != Qt::LeftButton)
            return false;
        // Window managers expect to move a window themselves; where the
        // platform cannot (offscreen), the window follows the pointer.
        QWindow *handle = m_window->windowHandle();
        if (handle && handle->startSystemMove())
            return true;
        m_dragging = true;
        m_grab = global - m_window->frameGeometry().topLeft();
        return true;
    }
    if (!m_dragging)
        return false;
    if (event->type() == QEvent::MouseMove && (mouse->buttons() & Qt::LeftButton)) {
        m_window->move(global - m_grab);
    } else if (event->type() == QEvent::MouseButtonRelease) {
        m_dragging = false;
    }
    return true;
}

QVBoxLayout *SkinWindow::layoutUnderTitle(QWidget *window, QLabel *caption, QAbstractButton *close)
{
    auto *layout = new QVBoxLayout(window);
    auto *titleRow = new QHBoxLayout;
    titleRow->addWidget(caption, 1);
    titleRow->addWidget(close);
    layout->addLayout(titleRow);
    return layout;
}
