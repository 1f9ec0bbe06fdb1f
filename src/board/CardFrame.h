#pragma once

#include <QPointer>
#include <QWidget>

class TPanel;

// A coloured frame drawn over the edge of a card's picture, leaving the clock and the button free:
// the keyboard's selection, or the pulse of a new ticket. It is a child of the card, so it moves
// with the card and goes with it, and it lets every touch through to the card underneath. Its
// strip is opaque, its strength mixed with the paper's white: a translucent strip would have the
// picture repainted under it at every step of a pulse, and each plain repaint puts the picture's
// smooth pass off again, so a new ticket would stay roughly scaled while it pulses.
class CardFrame : public QWidget
{
    Q_OBJECT

public:
    // A frame of a higher level stands above one of a lower level on the same card.
    CardFrame(const QColor &color, int thickness, int level, QWidget *parent = nullptr);

    // Puts the frame around the picture of the given card, whose footer starts at footerTop.
    void attachTo(TPanel *card, int footerTop);
    // 0 (paper white) to 255 (full colour).
    void setStrength(int alpha);
    int strength() const { return m_alpha; }
    QColor color() const { return m_color; }
    int level() const { return m_level; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QRegion strip() const;

    QColor m_color;
    int m_thickness;
    int m_level;
    int m_alpha = 255;
};
