#pragma once

#include <QImage>

// The pictures of the board's buttons, 24 × 24 on a white ground (which the buttons leave out
// as their transparent colour), and the "SHARP" logo.
namespace Glyphs {

QImage gear();
QImage house();
QImage triangle(bool pointingLeft);
QImage monitor();
// 100 × 15, red capital letters on black.
QImage sharpLogo();

} // namespace Glyphs
