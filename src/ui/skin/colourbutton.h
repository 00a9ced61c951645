#pragma once

#include <QColor>
#include <QToolButton>

// A colour choice button of the font bar: its whole area in its colour, its
// tooltip after 250 ms. Clicks, focus and the accessible name are a tool
// button's.
class ColourButton : public QToolButton
{
    Q_OBJECT

public:
    explicit ColourButton(QWidget *parent = nullptr);

    void setColour(const QColor &colour);
    [[nodiscard]] QColor colour() const { return m_colour; }

    [[nodiscard]] QSize sizeHint() const override { return {22, 22}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_colour = Qt::black;
};
