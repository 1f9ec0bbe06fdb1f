#pragma once

#include <QByteArray>
#include <QImage>

// The bytes of a Windows bitmap file of the given depth (1, 8, 24 or 32 bits per pixel), as the
// point-of-sale system stores kitchen tickets. 1-bit files are black on white, 8-bit files grey.
QByteArray bmpBytes(const QImage &image, int depth);
