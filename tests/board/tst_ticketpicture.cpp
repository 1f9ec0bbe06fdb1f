#include "BmpFiles.h"
#include "BmpWriter.h"
#include "TicketRenderer.h"
#include "board/BmpFastDecode.h"
#include "board/TicketPicture.h"
#include "controls/CompactImage.h"

#include <QBuffer>
#include <QPainter>
#include <QTest>
#include <QtEndian>

using TicketPicture::Problem;

namespace {

QImage sample(int w = 40, int h = 30)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.fillRect(5, 5, 10, 10, Qt::black);
    return image;
}

void put32(QByteArray &b, int at, qint32 v)
{
    qToLittleEndian(v, b.data() + at);
}

// An 8-bit file whose two-entry colour table is too short for most of its pixel values.
QByteArray outOfPalette()
{
    QByteArray b = bmpBytes(sample(8, 4), 8);
    const int offset = 14 + 40 + 2 * 4;
    QByteArray out = b.left(14 + 40) + b.mid(14 + 40, 8);
    put32(out, 46, 2); // colours used
    put32(out, 10, offset);
    QByteArray pixels(8 * 4, char(200));
    pixels[0] = 0;
    pixels[1] = 1;
    out += pixels;
    put32(out, 2, int(out.size()));
    return out;
}

// An 8-bit picture of the given colour table whose pixels cycle through the given indices, in
// a pattern that leaves no row and no block of eight alike.
QImage indexed(const QList<QRgb> &table, const QList<int> &indices, int w = 13, int h = 7)
{
    QImage image(w, h, QImage::Format_Indexed8);
    image.setColorTable(table);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) // also past the table, which setPixel refuses
            image.scanLine(y)[x] = uchar(indices[(x * x + y) % 5 % indices.size()]);
    return image;
}

QList<QRgb> greys(int count)
{
    QList<QRgb> table;
    for (int i = 0; i < count; ++i)
        table.append(qRgb(i * 255 / (count - 1), i * 255 / (count - 1), i * 255 / (count - 1)));
    return table;
}

// A true-colour picture of the given colours, in the same pattern.
QImage coloured(const QList<QRgb> &colours, QImage::Format format = QImage::Format_RGB32)
{
    QList<int> all;
    for (int i = 0; i < colours.size(); ++i)
        all.append(i);
    return indexed(colours, all).convertToFormat(format);
}

QByteArray rle8(bool complete)
{
    // 4 × 2 pixels: one run per line, then the end-of-bitmap mark.
    QByteArray b(14 + 40 + 256 * 4, '\0');
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 10, int(b.size()));
    put32(b, 14, 40);
    put32(b, 18, 4);
    put32(b, 22, 2);
    qToLittleEndian<quint16>(1, b.data() + 26);
    qToLittleEndian<quint16>(8, b.data() + 28);
    put32(b, 30, 1); // BI_RLE8
    for (int i = 0; i < 256; ++i)
        put32(b, 54 + i * 4, (i << 16) | (i << 8) | i);
    b += QByteArray("\x04\x40\x00\x00\x02\x80", 6);
    if (complete)
        b += QByteArray("\x00\x01", 2);
    put32(b, 2, int(b.size()));
    return b;
}

// More colours than an 8-bit table holds.
QImage gradient()
{
    QImage image(300, 20, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, x / 256 * 100, y));
    return image;
}

QByteArray hugeHeader()
{
    QByteArray b = bmpBytes(sample(4, 4), 24).left(14 + 40);
    put32(b, 18, 30000);
    put32(b, 22, 30000);
    return b;
}

} // namespace

class TestTicketPicture : public QObject
{
    Q_OBJECT

private slots:
    void goodFiles_data()
    {
        QTest::addColumn<int>("depth");
        QTest::newRow("1-bit") << 1;
        QTest::newRow("8-bit") << 8;
        QTest::newRow("24-bit") << 24;
        QTest::newRow("32-bit") << 32;
    }

    void goodFiles()
    {
        QFETCH(int, depth);
        const TicketPicture::Result r = TicketPicture::load(bmpBytes(sample(), depth));
        QCOMPARE(r.problem, Problem::None);
        QCOMPARE(r.image.size(), QSize(40, 30));
        QCOMPARE(qGray(r.image.pixel(7, 7)), 0);
        QCOMPARE(qGray(r.image.pixel(30, 20)), 255);
    }

    // The compact form of a decoded picture holds exactly its pixels, in the smallest form that
    // can.
    void compactCopy_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("format");
        QRandomGenerator random(3);
        const KitchenTicket ticket = randomTicket(7, QStringLiteral("Kök"), random);
        const QImage printed = renderTicket(ticket);
        const QImage shaded = renderTicket(ticket, 576, true);
        for (int depth : {1, 8, 24, 32}) {
            QTest::addRow("ticket, %d-bit", depth)
                << bmpBytes(printed, depth) << int(QImage::Format_Mono);
            QTest::addRow("small picture, %d-bit", depth)
                << bmpBytes(sample(), depth) << int(QImage::Format_Mono);
            QTest::addRow("odd width, %d-bit", depth)
                << bmpBytes(sample(13, 7), depth) << int(QImage::Format_Mono);
        }
        for (int depth : {8, 24, 32})
            QTest::addRow("shaded ticket, %d-bit", depth)
                << bmpBytes(shaded, depth) << int(QImage::Format_Indexed8);
        QTest::newRow("300 colours") << bmpBytes(gradient(), 24) << int(QImage::Format_RGB32);
        QTest::newRow("translucent, two colours") << BmpFiles::file(
            coloured({qRgba(0, 0, 0, 128), qRgb(255, 255, 255)}, QImage::Format_ARGB32),
            {.depth = 32, .infoSize = 108, .alpha = true})
                                                  << int(QImage::Format_Mono);
    }

    void compactCopy()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, format);
        const QImage decoded = QImage::fromData(bytes, "BMP");
        QVERIFY(!decoded.isNull());
        const QImage compact = CompactImage::compact(decoded);
        QCOMPARE(int(compact.format()), format);
        QCOMPARE(compact.convertToFormat(QImage::Format_ARGB32),
                 decoded.convertToFormat(QImage::Format_ARGB32));
        QVERIFY(compact.sizeInBytes() <= decoded.sizeInBytes());
    }

    // A ticket picture comes in its compact form, with exactly the pixels Qt's reader gives
    // and the form that reader gives; the common files are read without it.
    void decodesAsQt_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("direct");
        const int mono = QImage::Format_Mono;
        const int eight = QImage::Format_Indexed8;
        const int rgb = QImage::Format_RGB32;
        const int argb = QImage::Format_ARGB32;
        QRandomGenerator random(3);
        const KitchenTicket ticket = randomTicket(7, QStringLiteral("Kök"), random);
        const QImage printed = renderTicket(ticket);
        const QImage shaded = renderTicket(ticket, 576, true);
        for (int depth : {1, 8, 24, 32}) {
            for (const bool down : {false, true}) {
                const char *order = down ? "top-down" : "bottom-up";
                const auto rows = [down](const QByteArray &b) {
                    return down ? BmpFiles::topDown(b) : b;
                };
                QTest::addRow("ticket, %d-bit, %s", depth, order)
                    << rows(bmpBytes(printed, depth)) << mono << true;
                QTest::addRow("odd width, %d-bit, %s", depth, order)
                    << rows(bmpBytes(sample(13, 7), depth)) << mono << true;
                if (depth > 1)
                    QTest::addRow("shaded ticket, %d-bit, %s", depth, order)
                        << rows(bmpBytes(shaded, depth)) << eight << true;
            }
            QTest::addRow("small picture, %d-bit", depth)
                << bmpBytes(sample(), depth) << mono << true;
            QTest::addRow("158 wide, %d-bit", depth) // 2 × 64 + 16 + 8 + 6
                << bmpBytes(sample(158, 20), depth) << mono << true;
        }
        QTest::newRow("beyond a two-entry table") << outOfPalette() << eight << true;
        QTest::newRow("300 colours, 24-bit") << bmpBytes(gradient(), 24) << rgb << true;
        QTest::newRow("300 colours, 32-bit, top-down")
            << BmpFiles::topDown(bmpBytes(gradient(), 32)) << rgb << true;

        const QRgb red = qRgb(200, 0, 0);
        const QRgb blue = qRgb(0, 0, 150);
        const QRgb white = qRgb(255, 255, 255);
        using BmpFiles::file;
        QTest::newRow("1-bit, the lighter colour first")
            << file(indexed({white, red}, {0, 1}), {.depth = 1}) << mono << true;
        QTest::newRow("1-bit, the darker colour first, top-down")
            << file(indexed({blue, red}, {0, 1}), {.depth = 1, .topDown = true}) << mono << true;
        QTest::newRow("4-bit, two colours")
            << file(indexed(greys(16), {0, 15}), {.depth = 4}) << mono << true;
        QTest::newRow("4-bit, five colours, top-down")
            << file(indexed(greys(16), {0, 3, 7, 9, 15}, 14, 9), {.depth = 4, .topDown = true})
            << eight << true;
        QTest::newRow("4-bit, indices past a three-entry table")
            << file(indexed({red, blue, white}, {0, 1, 2, 9, 14}), {.depth = 4, .colours = 3})
            << eight << true;
        QTest::newRow("4-bit, two colours through a two-entry table")
            << file(indexed({red, blue}, {0, 7}), {.depth = 4, .colours = 2}) << mono << true;
        QTest::newRow("8-bit, one colour at two indices")
            << file(indexed({white, red, blue, white}, {0, 3, 2}), {.depth = 8, .colours = 4})
            << mono << true;
        QTest::newRow("8-bit, one colour at two indices, 158 wide") << file(
            indexed({white, red, blue, white}, {0, 3, 2}, 158, 9), {.depth = 8, .colours = 4})
                                                                    << mono << true;
        QImage lastDiffers = indexed(greys(256), {0, 255}, 158, 9);
        lastDiffers.scanLine(8)[157] = 7;
        QTest::newRow("8-bit, a third colour in the last pixel")
            << file(lastDiffers, {.depth = 8}) << eight << true;
        QTest::newRow("8-bit, 64-byte header")
            << file(indexed(greys(256), {0, 255}), {.depth = 8, .infoSize = 64}) << mono << true;
        QTest::newRow("8-bit, 124-byte header, top-down") << file(
            indexed(greys(256), {0, 128, 255}), {.depth = 8, .infoSize = 124, .topDown = true})
                                                          << eight << true;
        QTest::newRow("24-bit, three colours")
            << file(coloured({red, blue, white}), {.depth = 24}) << eight << true;
        QTest::newRow("24-bit, 108-byte header")
            << file(coloured({red, white}), {.depth = 24, .infoSize = 108}) << mono << true;
        QTest::newRow("32-bit, a varying fourth byte")
            << file(coloured({blue, white}), {.depth = 32, .noisyFourthByte = true}) << mono
            << true;
        QTest::newRow("32-bit, five colours, a varying fourth byte, top-down")
            << file(coloured({blue, white, red, qRgb(1, 2, 3), qRgb(9, 9, 9)}),
                    {.depth = 32, .topDown = true, .noisyFourthByte = true})
            << eight << true;
        QTest::newRow("32-bit, alpha, two colours")
            << file(coloured({qRgba(0, 0, 0, 128), white}, QImage::Format_ARGB32),
                    {.depth = 32, .infoSize = 124, .alpha = true})
            << mono << true;
        QTest::newRow("32-bit, alpha, 300 colours")
            << file(gradient().convertToFormat(QImage::Format_ARGB32),
                    {.depth = 32, .infoSize = 108, .alpha = true})
            << argb << true;
        QTest::newRow("32-bit bit fields (Qt's reader)")
            << file(coloured({red, white}), {.depth = 32, .bitfields = true}) << mono << false;
        QTest::newRow("32-bit bit fields, top-down (Qt's reader)")
            << file(coloured({red, blue, white}), {.depth = 32, .topDown = true, .bitfields = true})
            << eight << false;
    }

    void decodesAsQt()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, format);
        QFETCH(bool, direct);
        const QImage qt = QImage::fromData(bytes, "BMP");
        QVERIFY(!qt.isNull());
        const TicketPicture::Result r = TicketPicture::load(bytes);
        QCOMPARE(r.problem, Problem::None);
        QCOMPARE(int(r.image.format()), format);
        QCOMPARE(r.decodedFormat, qt.format());
        QCOMPARE(r.image.convertToFormat(QImage::Format_ARGB32),
                 qt.convertToFormat(QImage::Format_ARGB32));
        QCOMPARE(r.image.dotsPerMeterX(), qt.dotsPerMeterX());
        QCOMPARE(!BmpFastDecode::decode(bytes).image.isNull(), direct);
    }

    void damaged_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("problem");
        const QByteArray good = bmpBytes(sample(), 24);
        QTest::newRow("empty") << QByteArray() << int(Problem::Empty);
        QTest::newRow("not a bitmap") << QByteArray("\x89PNG\r\n\x1a\nxxxxxxxxxxxxxxxxxxxxxxxx", 32)
                                      << int(Problem::NotBitmap);
        QTest::newRow("header only") << good.left(20) << int(Problem::NotBitmap);
        QTest::newRow("truncated pixel data")
            << good.left(good.size() / 2) << int(Problem::Truncated);
        QTest::newRow("one byte short") << good.left(good.size() - 1) << int(Problem::Truncated);
        QTest::newRow("truncated 1-bit")
            << bmpBytes(sample(), 1).left(100) << int(Problem::Truncated);
        QTest::newRow("30000 x 30000") << hugeHeader() << int(Problem::TooLarge);
        QTest::newRow("RLE without its end") << rle8(false) << int(Problem::Truncated);
        QTest::newRow("RLE cut in a run")
            << rle8(true).left(rle8(true).size() - 5) << int(Problem::Truncated);
        // An info header that claims nearly 2 GiB: its size must not overflow the offset check.
        QByteArray hugeInfo = good;
        qToLittleEndian<qint32>(0x7FFFFFF9, hugeInfo.data() + 14);
        QTest::newRow("huge info header") << hugeInfo << int(Problem::Truncated);
    }

    void damaged()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, problem);
        const TicketPicture::Result r = TicketPicture::load(bytes);
        QCOMPARE(int(r.problem), problem);
        QVERIFY(r.image.isNull());
    }

    // Pixel values beyond a short colour table, and run-length pictures, can be scaled and
    // painted without reading outside anything.
    void indicesStayInsideTheColourTable()
    {
        const TicketPicture::Result r = TicketPicture::load(outOfPalette());
        QCOMPARE(r.problem, Problem::None);
        QCOMPARE(r.image.format(), QImage::Format_Indexed8);
        QCOMPARE(r.image.colorCount(), 256);
        const QImage scaled = r.image.scaled(50, 25);
        QImage target(60, 30, QImage::Format_RGB32);
        QPainter p(&target);
        p.drawImage(QRect(0, 0, 60, 30), r.image);
        QVERIFY(!scaled.isNull());
    }

    void runLength()
    {
        const TicketPicture::Result r = TicketPicture::load(rle8(true));
        QCOMPARE(r.problem, Problem::None);
        QCOMPARE(r.image.size(), QSize(4, 2));
        QCOMPARE(r.image.format(), QImage::Format_Indexed8);
        QCOMPARE(r.decodedFormat, QImage::Format_Indexed8);
        QCOMPARE(qGray(r.image.pixel(0, 1)), 0x40); // bottom-up: the first line is the bottom
        QCOMPARE(qGray(r.image.pixel(3, 1)), 0x40);
        QCOMPARE(qGray(r.image.pixel(1, 0)), 0x80);
        QCOMPARE(qGray(r.image.pixel(3, 0)), 0); // never drawn: cleared, not left undefined
    }
};

QTEST_MAIN(TestTicketPicture)
#include "tst_ticketpicture.moc"
