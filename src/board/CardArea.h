#pragma once

#include <QPointer>
#include <QScrollArea>

#include <vector>

// The scroll area of a tab. Cards are children of its canvas and stand at content coordinates;
// the canvas grows to hold them. A hidden scroll bar means no scrolling in that direction.
class CardArea : public QScrollArea
{
    Q_OBJECT

public:
    explicit CardArea(QWidget *parent = nullptr);

    QWidget *canvas() const { return m_canvas; }

    void setHorzBarVisible(bool on);
    void setVertBarVisible(bool on);
    bool vertBarVisible() const { return m_vert; }

    // The height the rows of cards share: the area's, less the room of a horizontal scroll bar
    // where one can appear, so that the bar never covers the footers of the bottom row.
    int cardsHeight() const;

    int horzPosition() const;
    void setHorzPosition(int pos);

    // A new card, already at its place: the canvas grows to hold it. Only the cards at or near
    // the view are shown; the others wait hidden until a scroll brings them near. At each scroll
    // step Qt walks every shown child of the canvas and keeps a region with a rectangle per
    // shown card: with a day of done tickets all shown, a step took most of a second.
    void addCard(QWidget *card);
    // After cards went or moved: the canvas fits them again and those near the view are shown.
    void updateExtent();

signals:
    void resized();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyExtent();
    QRect nearView() const;
    void showCardsNearView();

    QWidget *m_canvas;
    std::vector<QPointer<QWidget>> m_cards;
    QRect m_extent;
    bool m_horz = false;
    bool m_vert = false;
};
