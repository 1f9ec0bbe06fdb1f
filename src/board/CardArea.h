#pragma once

#include <QScrollArea>

// The scroll area of a tab. Cards are children of its canvas and stand at content coordinates;
// the canvas grows to hold them. A hidden scroll bar means no scrolling in that direction.
class CardArea : public QScrollArea
{
    Q_OBJECT

public:
    explicit CardArea(QWidget *parent = nullptr);

    // Qt looks for opaque siblings above every widget it repaints. With thousands of cards on a
    // tab that search makes the first paint after a build take time quadratic in the cards, and
    // since cards never overlap it finds nothing. Call before the application object is made.
    static void skipOpaqueSiblingSearch();

    QWidget *canvas() const { return m_canvas; }

    void setHorzBarVisible(bool on);
    void setVertBarVisible(bool on);
    bool vertBarVisible() const { return m_vert; }

    // The height the rows of cards share: the area's, less the room of a horizontal scroll bar
    // where one can appear, so that the bar never covers the footers of the bottom row.
    int cardsHeight() const;

    int horzPosition() const;
    void setHorzPosition(int pos);

    // Lets the canvas hold every card: extend() for a card that came, updateExtent() after cards
    // went or moved.
    void extend(const QRect &card);
    void updateExtent();

signals:
    void resized();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyExtent();

    QWidget *m_canvas;
    QRect m_extent;
    bool m_horz = false;
    bool m_vert = false;
};
