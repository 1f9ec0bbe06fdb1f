// Arbitrary bytes as a ticket's stored picture: the loader either refuses them or gives a picture
// that can be scaled and painted as a card does. Whatever file the direct reader takes, it gives
// exactly the pixels, and the form, that Qt's reader gives.
#include "board/BmpFastDecode.h"
#include "board/TicketPicture.h"

#include <QPainter>

#include <cstdio>
#include <cstdlib>

namespace {

void differs(const char *what)
{
    std::fprintf(stderr, "the direct reader differs from Qt's: %s\n", what);
    std::abort();
}

void compareWithQt(const QByteArray &bytes, const BmpFastDecode::Decoded &fast)
{
    const QImage qt = QImage::fromData(bytes, "BMP");
    if (qt.isNull())
        differs("Qt refuses the file");
    if (qt.format() != fast.decodedFormat)
        differs("decoded form");
    if (qt.size() != fast.image.size())
        differs("size");
    if (qt.convertToFormat(QImage::Format_ARGB32)
        != fast.image.convertToFormat(QImage::Format_ARGB32))
        differs("pixels");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const BmpFastDecode::Decoded fast = BmpFastDecode::decode(bytes);
    if (!fast.image.isNull())
        compareWithQt(bytes, fast);
    const TicketPicture::Result r = TicketPicture::load(bytes);
    if (r.problem != TicketPicture::Problem::None) {
        if (!r.image.isNull())
            std::abort();
        return 0;
    }
    if (r.image.isNull())
        std::abort();
    if (!fast.image.isNull() && (r.image != fast.image || r.decodedFormat != fast.decodedFormat))
        differs("the loader does not give the direct reader's picture");
    const QImage scaled = r.image.scaled(48, 36);
    QImage target(64, 48, QImage::Format_RGB32);
    QPainter painter(&target);
    painter.drawImage(QRect(0, 0, 64, 48), r.image);
    painter.drawImage(QPoint(0, 0), scaled);
    return 0;
}
