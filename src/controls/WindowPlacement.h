#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QScreen;
class QWidget;

namespace WindowPlacement {

// The top-left corner of the frame that stands centred in area, for a window whose client area
// has the given size and whose frame adds the given margins.
QPoint centredFramePosition(const QRect &area, const QSize &client, const QMargins &frame);

// Centres a top-level window, frame and all, in the available area of screen. The frame's size
// is known only once the window manager has framed the window; until then that of another
// framed window of the same kind is taken, and the window is centred once more when its own
// frame becomes known.
void centreOnScreen(QWidget *window, QScreen *screen);

} // namespace WindowPlacement
