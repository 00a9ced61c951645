#include "ui/progressdialog.h"

#include "app/language.h"
#include "engine/jobcontrol.h"
#include "ui/dialogkeys.h"
#include "ui/skin/skin.h"
#include "ui/skin/skinwindow.h"
#include "ui/specid.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr QSize DialogSize(278, 93);
constexpr QRect PauseButton(112, 57, 65, 26);
constexpr QRect AbortButton(192, 57, 65, 26);
constexpr int StripLeft = 17;
constexpr int StripTop = 40;
constexpr QSize SegmentSize(24, 11);
} // namespace

ProgressDialog::ProgressDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    withSpecId(this, 238, u"progressDialog"_s);
    setWindowTitle(u"Rewordix"_s);
    setFixedSize(DialogSize);
    m_pauseButton = new QPushButton(this);
    withSpecId(m_pauseButton, 1106);
    m_abortButton = new QPushButton(this);
    withSpecId(m_abortButton, 1107);
    connect(m_pauseButton, &QPushButton::clicked, this, &ProgressDialog::togglePause);
    connect(m_abortButton, &QPushButton::clicked, this, &ProgressDialog::abort);
    applyTexts();
    placeButtons();
    SkinWindow::attach(this, SkinWindow::Options::borderless(u"progress"_s, 30));
}

QRect ProgressDialog::stripRect()
{
    return {StripLeft, StripTop, SegmentSize.width() * Segments, SegmentSize.height()};
}

QRect ProgressDialog::segmentRect(int i)
{
    return {QPoint(StripLeft + SegmentSize.width() * i, StripTop), SegmentSize};
}

void ProgressDialog::begin(JobControl *control, bool abortOnly)
{
    m_control = control;
    m_position = 0;
    m_paused = false;
    m_abort = false;
    m_abortOnly = abortOnly;
    m_pauseButton->setEnabled(true);
    applyTexts();
    placeButtons();
    update();
}

void ProgressDialog::showModal()
{
    m_closing = false;
    setWindowModality(Qt::ApplicationModal);
    if (parentWidget()) {
        const QRect owner = parentWidget()->window()->geometry();
        move(owner.center() - rect().center());
    }
    show();
    raise();
    activateWindow();
}

void ProgressDialog::finish()
{
    setPosition(Segments);
    m_paused = false;
    m_abort = false;
    if (m_control)
        m_control->reset();
    m_control = nullptr;
    m_closing = true;
    done(QDialog::Rejected);
    m_closing = false;
}

void ProgressDialog::setPosition(int position)
{
    m_position = std::clamp(position, 0, int(Segments));
    repaint(stripRect());
}

void ProgressDialog::applyTexts()
{
    const QString text = LoadLanguageText(Language::currentName());
    const auto key = [&](QStringView name) {
        return LookupText(QString(u"\r\n" + name + u'='), text);
    };
    const QString pause = key(m_paused ? u"Continue" : u"Pause");
    const QString cancel = key(u"Cancel");
    m_pauseButton->setText(pause.isEmpty() ? (m_paused ? u"Continue"_s : u"Pause"_s) : pause);
    m_abortButton->setText(cancel.isEmpty() ? u"Abort"_s : cancel);
}

void ProgressDialog::placeButtons()
{
    m_pauseButton->setGeometry(PauseButton);
    m_pauseButton->setVisible(!m_abortOnly);
    QRect abort = AbortButton;
    if (m_abortOnly)
        abort.moveLeft(width() / 2 - abort.width() / 2);
    m_abortButton->setGeometry(abort);
    m_abortButton->setVisible(true);
}

void ProgressDialog::togglePause()
{
    m_paused = !m_paused;
    if (m_control)
        m_control->setPaused(m_paused);
    applyTexts();
    Q_EMIT pauseToggled(m_paused);
}

void ProgressDialog::abort()
{
    m_abort = true;
    if (m_control)
        m_control->abort();
    Q_EMIT abortRequested();
}

void ProgressDialog::paintEvent(QPaintEvent *)
{
    // Skinned, the frame has drawn the background bitmap with its title band.
    const Skin &skin = Skin::instance();
    QPainter p(this);
    skin.drawPlainBackground(&p, *this);
    p.setPen(skin.colour(Skin::Colour::TitleText));
    p.setFont(skin.font(Skin::Font::Title));
    p.drawText(QRect(StripLeft, 3, width() - 2 * StripLeft, 24), Qt::AlignLeft | Qt::AlignVCenter,
               u"Rewordix"_s);
    paintSegments(p);
}

void ProgressDialog::paintSegments(QPainter &p)
{
    const Skin &skin = Skin::instance();
    if (skin.isSkinned()) {
        // The segment bitmap: lit in its left half, unlit in its right.
        const QPixmap segments = skin.pixmap(u"segment"_s);
        const qreal ratio = segments.devicePixelRatio();
        const QSizeF half(SegmentSize.width() * ratio, SegmentSize.height() * ratio);
        for (int i = 0; i < Segments; ++i) {
            const QPointF from(i < m_position ? 0 : half.width(), 0);
            p.drawPixmap(QRectF(segmentRect(i)), segments, QRectF(from, half));
        }
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < Segments; ++i) {
        const QRectF cell = QRectF(segmentRect(i)).adjusted(1.5, 0.5, -1.5, -0.5);
        p.setPen(palette().color(QPalette::Mid));
        p.setBrush(i < m_position ? skin.colour(Skin::Colour::Accent)
                                  : skin.colour(Skin::Colour::SegmentUnlit));
        p.drawRoundedRect(cell, 2, 2);
    }
}

void ProgressDialog::keyPressEvent(QKeyEvent *event)
{
    if (!DialogKeys::swallow(event))
        QDialog::keyPressEvent(event);
}

void ProgressDialog::closeEvent(QCloseEvent *event)
{
    // Only the owner ends a run: the window system's close request (title
    // bar, Alt+F4) is an Abort, and the dialog stays until the run reacts.
    if (!m_closing) {
        event->ignore();
        if (isVisible() && !m_abort)
            abort();
        return;
    }
    QDialog::closeEvent(event);
}
