#pragma once

#include <QRect>

#include <optional>

// Arithmetic of the image control and the image box, free of widgets.
namespace PixGeometry {

// The nearest whole number, halves to the even neighbour.
int nearest(double value);

// Where a picture of pw × ph is drawn in a control of cw × ch.
QRect drawingRect(int pw, int ph, int cw, int ch, bool stretch, bool proportional, bool center);

// The picture's displayed size in the box and the scale that goes with it.
struct Displayed
{
    int width = 0;
    int height = 0;
    int scale = 100;
};
// Fixed scale: the natural size times scale / 100, rounded to the nearest (halves to even).
Displayed scaledSize(int pictureWidth, int pictureHeight, int scale);
// Fitted into a view of w × h; the scale follows the view (or stays when nothing fits).
Displayed fittedSize(int pictureWidth, int pictureHeight, int w, int h, bool onlyBig, int scale);

// The next entry of the 30-step zoom table above (up) or below the scale; none past its ends.
std::optional<int> stepScale(int scale, bool up);

// The page step for a view extent n.
int pageStep(int n);

} // namespace PixGeometry
