#pragma once

#include <QAbstractButton>
#include <QWidget>

class QLabel;

// A button of the title band: minimise or close, drawn as a white glyph that
// lights up under the mouse and shows the keyboard focus. A real button: it
// takes the focus with Tab, Space presses it, and it carries its name.
class SkinTitleButton : public QAbstractButton
{
    Q_OBJECT

public:
    enum class Glyph
    {
        Minimise,
        Close
    };

    SkinTitleButton(Glyph glyph, QWidget *parent);
    [[nodiscard]] QSize sizeHint() const override { return {34, 24}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    Glyph m_glyph;
    bool m_hover = false;
};

// The title band of a borderless window: the caption on the left (the
// window's title, or the window's own caption label moved here), minimise and
// close on the right. It is transparent: the window's bitmap draws the band,
// and presses on it reach the window, which moves.
class SkinTitleBar : public QWidget
{
    Q_OBJECT

public:
    // caption and close: the window's own controls, adopted; null: made here.
    SkinTitleBar(QWidget *window, QLabel *caption, QAbstractButton *close, bool minimise);

    [[nodiscard]] QLabel *caption() const { return m_caption; }
    [[nodiscard]] QAbstractButton *closeButton() const { return m_close; }
    [[nodiscard]] QAbstractButton *minimiseButton() const { return m_minimise; }

    // A caption made here shows the window's title.
    void followTitle();

private:
    QLabel *m_caption = nullptr;
    QAbstractButton *m_close = nullptr;
    QAbstractButton *m_minimise = nullptr;
    bool m_ownCaption = false;
};
