#pragma once

#include <QByteArray>
#include <QImage>

// The common ticket files, uncompressed Windows bitmaps at 1, 4, 8, 24 or 32 bits per pixel, read
// straight from their bytes into the compact form that CompactImage would give their decoded
// picture: the pixels Qt's own reader gives, without its row-by-row device reads, and a ticket
// of two colours at screen depth never unpacked to 32 bits per pixel.
namespace BmpFastDecode {

struct Decoded
{
    QImage image; // null: a file of another kind, left to Qt's reader
    QImage::Format decodedFormat = QImage::Format_Invalid; // the form Qt's reader gives
};

// Safe for any bytes: a file whose rows are not all there is of another kind.
Decoded decode(const QByteArray &bytes);

} // namespace BmpFastDecode
