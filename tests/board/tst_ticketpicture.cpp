#include "BmpWriter.h"
#include "TicketRenderer.h"
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

// An 8-bit file whose two-entry colour table is too short for its pixel values.
QByteArray outOfPalette()
{
    QByteArray b = bmpBytes(sample(8, 4), 8);
    const int offset = 14 + 40 + 2 * 4;
    QByteArray out = b.left(14 + 40) + b.mid(14 + 40, 8);
    put32(out, 46, 2); // colours used
    put32(out, 10, offset);
    QByteArray pixels(8 * 4, char(200));
    out += pixels;
    put32(out, 2, int(out.size()));
    return out;
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

    // The compact copy holds exactly the decoded pixels, in the smallest form that can.
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
        QTest::newRow("beyond the colour table") << outOfPalette() << int(QImage::Format_Mono);
        QTest::newRow("run-length") << rle8(true) << int(QImage::Format_Indexed8);
        QTest::newRow("300 colours") << bmpBytes(gradient(), 24) << int(QImage::Format_RGB32);
    }

    void compactCopy()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, format);
        const QImage decoded = TicketPicture::load(bytes).image;
        QVERIFY(!decoded.isNull());
        const QImage compact = CompactImage::compact(decoded);
        QCOMPARE(int(compact.format()), format);
        QCOMPARE(compact.convertToFormat(QImage::Format_ARGB32),
                 decoded.convertToFormat(QImage::Format_ARGB32));
        QVERIFY(compact.sizeInBytes() <= decoded.sizeInBytes());
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
        QCOMPARE(qGray(r.image.pixel(0, 1)), 0x40); // bottom-up: the first line is the bottom
        QCOMPARE(qGray(r.image.pixel(3, 1)), 0x40);
        QCOMPARE(qGray(r.image.pixel(1, 0)), 0x80);
        QCOMPARE(qGray(r.image.pixel(3, 0)), 0); // never drawn: cleared, not left undefined
    }
};

QTEST_MAIN(TestTicketPicture)
#include "tst_ticketpicture.moc"
