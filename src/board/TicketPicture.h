#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Ticket pictures come from another program and may be damaged. This is the one place where the
// board turns the stored bytes of a Windows bitmap file into a picture: dimensions beyond a sane
// limit are refused before anything is allocated, pixel data shorter than the header promises
// counts as damaged, run-length files are decoded into a cleared picture, and indexed pictures
// get a full colour table, so that no pixel index outside it ever reaches scaling or painting.
// The picture comes in its compact form (CompactImage): the common files are read straight into
// it (BmpFastDecode), the others decoded by Qt's reader and then compacted.
namespace TicketPicture {

enum class Problem { None, Empty, NotBitmap, TooLarge, Truncated, Unreadable };

struct Result
{
    QImage image; // compact; null unless problem is None
    Problem problem = Problem::None;
    QImage::Format decodedFormat = QImage::Format_Invalid; // the form the file decodes to
    // A truncated file: the bytes its header promises, and those there are.
    qint64 expectedBytes = 0;
    qint64 receivedBytes = 0;
};

constexpr int maxWidth = 8192;
constexpr int maxHeight = 32768;
constexpr qint64 maxPixels = 64LL * 1024 * 1024;

Result load(const QByteArray &bytes);

// Why a picture cannot be shown, for the cook: "tom", "inte en bild", "för stor",
// "avkortad: 4 096 av 72 062 byte", "skadad". Empty when it can.
QString reason(const Result &result);

} // namespace TicketPicture
