#include "TicketRenderer.h"

#include <QPainter>
#include <QTime>

namespace {

const char16_t *const dishes[] = {
    u"Köttbullar med potatismos",
    u"Pytt i panna",
    u"Caesarsallad",
    u"Fish & chips",
    u"Grillad lax",
    u"Hamburgare",
    u"Pasta carbonara",
    u"Räksmörgås",
    u"Wallenbergare",
    u"Kycklingspett",
    u"Vegoburgare",
    u"Pommes frites",
    u"Toast Skagen",
    u"Entrecôte",
};
const char16_t *const modifiers[] = {
    u"- utan lök",  u"- extra sås",     u"- glutenfri",       u"- medium",
    u"- laktosfri", u"- sås vid sidan", u"- ingen koriander",
};
const char16_t *const waiters[] = {u"Anna", u"Björn", u"Åsa", u"Erik", u"Maja"};

template<typename T, size_t N> QString pick(const T (&list)[N], QRandomGenerator &random)
{
    return QString::fromUtf16(list[random.bounded(int(N))]);
}

} // namespace

KitchenTicket randomTicket(int number, const QString &device, QRandomGenerator &random)
{
    KitchenTicket t;
    t.number = number;
    t.device = device;
    t.table = QString::number(random.bounded(1, 40));
    t.waiter = pick(waiters, random);
    t.time = QTime::currentTime().toString(QStringLiteral("HH:mm"));
    const int items = random.bounded(1, 9);
    for (int i = 0; i < items; ++i) {
        t.lines.append(
            QStringLiteral("%1 x %2").arg(random.bounded(1, 5)).arg(pick(dishes, random)));
        if (random.bounded(3) == 0)
            t.lines.append(QStringLiteral("   ") + pick(modifiers, random));
    }
    return t;
}

QImage renderTicket(const KitchenTicket &t, int width, bool shaded)
{
    const int lineHeight = 34;
    const int margin = 24; // the printer's blank feed before the first line
    const int header = margin + 4 * lineHeight + 20;
    const int height = header + static_cast<int>(t.lines.size()) * lineHeight + 40;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::black);

    QFont big(QStringLiteral("Liberation Sans"));
    big.setPixelSize(36);
    big.setBold(true);
    QFont normal(QStringLiteral("Liberation Sans"));
    normal.setPixelSize(26);

    int y = margin;
    p.setFont(big);
    p.drawText(QRect(0, y, width, 44), Qt::AlignHCenter, QStringLiteral("BORD %1").arg(t.table));
    y += 48;
    p.setFont(normal);
    p.drawText(QRect(16, y, width - 32, lineHeight), Qt::AlignLeft,
               QStringLiteral("Bong %1  %2").arg(t.number).arg(t.device));
    p.drawText(QRect(16, y, width - 32, lineHeight), Qt::AlignRight, t.time);
    y += lineHeight;
    p.drawText(QRect(16, y, width - 32, lineHeight), Qt::AlignLeft,
               QStringLiteral("Servitör: ") + t.waiter);
    y += lineHeight + 6;
    p.fillRect(16, y, width - 32, 3, Qt::black);
    y += 14;
    for (const QString &line : t.lines) {
        QFont f = normal;
        f.setBold(!line.startsWith(u' '));
        p.setFont(f);
        p.drawText(QRect(16, y, width - 32, lineHeight), Qt::AlignLeft, line);
        y += lineHeight;
    }
    p.fillRect(16, height - 20, width - 32, 3, Qt::black);
    p.end();
    if (!shaded) {
        // The same rule as a 1-bit file: the lighter half of the greys prints white.
        for (int y = 0; y < height; ++y) {
            auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                row[x] = qGray(row[x]) >= 128 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        }
    }
    return image;
}
