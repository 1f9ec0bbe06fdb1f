#include "BildPreview.h"

#include "controls/Fonts.h"
#include "controls/Glyphs.h"
#include "controls/Panel.h"
#include "controls/PixGeometry.h"
#include "controls/PixImageBox.h"
#include "controls/WindowPlacement.h"
#include "controls/XiButton.h"
#include "pos/TextUtils.h"

#include <QGuiApplication>
#include <QResizeEvent>
#include <QWindow>

#include <algorithm>

namespace {
constexpr int bildWidth = 508;
constexpr int bildHeight = 627;
constexpr int barHeight = 36;
constexpr int hogerWidth = 344;
} // namespace

TF_BildPreview::TF_BildPreview(AgeColorFunction ageColor, QWidget *board)
    : QWidget(board, Qt::Tool | Qt::WindowStaysOnTopHint)
    , m_ageColor(std::move(ageColor))
{
    // Closing destroys the window with its timer and its copy of the picture.
    setAttribute(Qt::WA_DeleteOnClose);
    // A title bar without text: an empty title would show the application's name instead.
    setWindowTitle(QStringLiteral(" "));
    resize(bildWidth, bildHeight + barHeight);

    Bild = new TPixImageBox(this);
    Bild->setColor(Qt::white);
    Bild->setHorzScrollBarVisible(false);
    Bild->setImageFitOnlyBig(false);
    Bild->setImageKeepPosition(false);
    Bild->setImageDrag(false);
    connect(Bild, &TPixImageBox::OnMouseDown, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint &) {
                BildMouseDown(button);
            });

    pa_Botten = new TPanel(this);
    pa_Botten->setColor(Qt::black);

    pa_MallKlocka = new TPanel(pa_Botten);
    pa_MallKlocka->setGeometry(0, 0, 121, barHeight);
    pa_MallKlocka->setColor(Qt::white);
    pa_MallKlocka->setBevelOuter(TPanel::Bevel::Lowered);
    pa_MallKlocka->setFont(arialFont(27, true));
    pa_MallKlocka->setCaption(QStringLiteral("02:01"));

    pa_Hoger = new TPanel(pa_Botten);
    pa_Hoger->setColor(Qt::black);
    pa_Hoger->resize(hogerWidth, barHeight);

    bu_stang = new TXiButton(pa_Hoger);
    bu_stang->resize(41, 35);
    bu_stang->setColorScheme(TColorScheme::csGraySkin);
    bu_stang->setGlyph(Glyphs::house());
    connect(bu_stang, &TXiButton::OnClick, this, &TF_BildPreview::bu_stangClick);

    layOut();

    ti_Sekunder.setInterval(1000);
    connect(&ti_Sekunder, &QTimer::timeout, this, &TF_BildPreview::ti_SekunderTimer);
}

void TF_BildPreview::layOut()
{
    // The picture fills the window above the bar; the bar spans the bottom with the clock at
    // its left and the close button at its right edge. In a narrow window the right-hand panel
    // gives way before it would cover the clock.
    const int barTop = height() - barHeight;
    Bild->setGeometry(0, 0, width(), barTop);
    pa_Botten->setGeometry(0, barTop, width(), barHeight);
    const int hogerLeft = std::max(pa_MallKlocka->width(), width() - hogerWidth);
    pa_Hoger->setGeometry(hogerLeft, 0, std::max(0, width() - hogerLeft), barHeight);
    bu_stang->move(pa_Hoger->width() - bu_stang->width(), 0);
}

void TF_BildPreview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOut();
    fitPictureToWidth();
}

void TF_BildPreview::fitPictureToWidth()
{
    // The picture fills the width of the box, at opening and at every size of the window.
    const int pictureWidth = Bild->Image()->picture().width();
    if (pictureWidth > 0)
        Bild->setImageScale(PixGeometry::nearest(double(Bild->width()) / pictureWidth * 100));
}

void TF_BildPreview::loadPicture(const TPicture &picture)
{
    Bild->Image()->setPicture(picture);
    Bild->PictureLoaded();
    Bild->Image()->setResample(true);
    fitPictureToWidth();
}

void TF_BildPreview::showTicket(const TPicture &picture, const QColor &color, int seconds)
{
    loadPicture(picture);
    pa_Botten->setColor(color);
    pa_Hoger->setColor(pa_Botten->color());
    m_age = seconds;
    ti_Sekunder.start();
    centreOnBoardScreen();
    show();
}

void TF_BildPreview::showDoneTicket(const TPicture &picture)
{
    loadPicture(picture);
    centreOnBoardScreen();
    show();
}

void TF_BildPreview::centreOnBoardScreen()
{
    const QWidget *board = parentWidget();
    WindowPlacement::centreOnScreen(this,
                                    board ? board->screen() : QGuiApplication::primaryScreen());
}

void TF_BildPreview::ti_SekunderTimer()
{
    ++m_age;
    pa_MallKlocka->setCaption(ClockText(m_age).left(5));
    pa_Botten->setColor(m_ageColor ? m_ageColor(m_age) : pa_Botten->color());
    pa_Hoger->setColor(pa_Botten->color());
}

void TF_BildPreview::bu_stangClick()
{
    close();
}

void TF_BildPreview::BildMouseDown(Qt::MouseButton button)
{
    // A press on the picture moves the window, as if its title bar had been grabbed.
    if (button == Qt::LeftButton && windowHandle())
        windowHandle()->startSystemMove();
}
