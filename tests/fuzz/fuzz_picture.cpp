// Arbitrary bytes as a ticket's stored picture: the loader either refuses them or gives a picture
// that can be scaled and painted as a card does.
#include "board/TicketPicture.h"

#include <QPainter>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const TicketPicture::Result r = TicketPicture::load(bytes);
    if (r.problem != TicketPicture::Problem::None) {
        if (!r.image.isNull())
            std::abort();
        return 0;
    }
    if (r.image.isNull())
        std::abort();
    const QImage scaled = r.image.scaled(48, 36);
    QImage target(64, 48, QImage::Format_RGB32);
    QPainter painter(&target);
    painter.drawImage(QRect(0, 0, 64, 48), r.image);
    painter.drawImage(QPoint(0, 0), scaled);
    return 0;
}
