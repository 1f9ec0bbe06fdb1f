#pragma once

#include "controls/Picture.h"

#include <QTimer>
#include <QWidget>

#include <functional>

class TPanel;
class TPixImageBox;
class TXiButton;

// One ticket enlarged in a window of its own, with the ticket's waiting-time clock in a bar below
// it. It stays above the board until it is closed, counts its own copy of the age, and has no
// link to the card it came from. Several may be open at once.
class TF_BildPreview : public QWidget
{
    Q_OBJECT

public:
    using AgeColorFunction = std::function<QColor(int age)>;

    // ageColor gives the colour of an age, by the board's limits and sample colours.
    explicit TF_BildPreview(AgeColorFunction ageColor, QWidget *board = nullptr);

    // An open ticket: the picture, the footer's current colour and the age, counting.
    void showTicket(const TPicture &picture, const QColor &color, int seconds);
    // A done ticket: the picture only; the bar stays black and the clock keeps "02:01".
    void showDoneTicket(const TPicture &picture);

    TPixImageBox *Bild = nullptr;
    TPanel *pa_Botten = nullptr;
    TPanel *pa_MallKlocka = nullptr;
    TPanel *pa_Hoger = nullptr;
    TXiButton *bu_stang = nullptr;
    QTimer ti_Sekunder;

    int age() const { return m_age; }

    void ti_SekunderTimer();
    void bu_stangClick();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layOut();
    void fitPictureToWidth();
    void loadPicture(const TPicture &picture);
    void BildMouseDown(Qt::MouseButton button);
    void centreOnBoardScreen();

    AgeColorFunction m_ageColor;
    int m_age = 0;
};
