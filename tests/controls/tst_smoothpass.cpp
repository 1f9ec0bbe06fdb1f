#include "controls/PixImageBox.h"
#include "controls/SmoothScale.h"

#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace {

// Detail in every pixel and channel, so that a part scaled on a shifted grid shows.
QImage noise(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            image.setPixel(x, y, 0xFF000000u | (seed >> 8));
        }
    }
    return image;
}

// The whole picture scaled in one piece, as the smooth pass once did.
QImage wholeScaled(const QImage &picture, QSize target)
{
    return SmoothScale(picture.size(), target, QRect(QPoint(0, 0), target)).scaled(picture);
}

// The largest difference in one channel between an area of one image and another image
// shifted by offset.
int largestDifference(const QImage &shown, const QRect &where, const QImage &expected,
                      QPoint offset)
{
    int largest = 0;
    for (int y = where.top(); y <= where.bottom(); ++y) {
        for (int x = where.left(); x <= where.right(); ++x) {
            const QRgb a = shown.pixel(x, y);
            const QRgb b = expected.pixel(x - offset.x(), y - offset.y());
            largest = std::max({largest, qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)),
                                qAbs(qBlue(a) - qBlue(b))});
        }
    }
    return largest;
}

// A box the way the preview shows a ticket: picture loaded, smooth pass on, zoomed.
struct Preview
{
    QWidget window;
    TPixImageBox *box = new TPixImageBox(&window);
    QImage shown; // the screen right after the last smooth pass

    Preview(const QImage &picture, int scale)
    {
        window.resize(320, 240);
        box->setGeometry(10, 10, 300, 220);
        window.show();
        box->Image()->setPicture(picture);
        box->PictureLoaded();
        box->Image()->setResample(true);
        box->setImageScale(scale);
        QObject::connect(box->Image(), &TPixImage::OnPaint, &window,
                         [this] { shown = window.screen()->grabWindow(window.winId()).toImage(); });
    }
    // Scrolls and waits for the smooth pass that follows.
    bool scrollAndSettle(QPoint position)
    {
        shown = QImage();
        box->setHorzPosition(position.x());
        box->setVertPosition(position.y());
        box->Image()->update();
        return QTest::qWaitFor([this] { return !shown.isNull(); });
    }
};

} // namespace

class TestSmoothPass : public QObject
{
    Q_OBJECT

private slots:
    // Each part of the scaled picture is exactly that part of the whole scaled picture.
    void partOfWholeScaling_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QSize>("target");
        QTest::newRow("enlarged") << QSize(13, 9) << QSize(71, 40);
        QTest::newRow("shrunk") << QSize(90, 70) << QSize(23, 17);
        QTest::newRow("enlarged across, shrunk down") << QSize(20, 60) << QSize(50, 13);
        QTest::newRow("same size") << QSize(17, 11) << QSize(17, 11);
    }

    void partOfWholeScaling()
    {
        QFETCH(QSize, source);
        QFETCH(QSize, target);
        const QImage picture = noise(source);
        const QImage whole = wholeScaled(picture, target);
        QCOMPARE(whole.size(), target);
        for (const QRect area : {QRect(0, 0, 1, 1), QRect(3, 2, 7, 5),
                                 QRect(target.width() - 4, target.height() - 3, 4, 3),
                                 QRect(1, 0, target.width() - 2, target.height())}) {
            const SmoothScale part(source, target, area);
            const QImage scaled = part.scaled(picture.copy(part.sourceRect()));
            QCOMPARE(scaled.size(), area.size());
            QCOMPARE(largestDifference(scaled, scaled.rect(), whole, -area.topLeft()), 0);
            QVERIFY(QRect(QPoint(0, 0), source).contains(part.sourceRect()));
        }
        if (source == target)
            QCOMPARE(largestDifference(whole, whole.rect(), picture, {}), 0);
    }

    // Shrinking averages the covered area: fine black and white stripes turn grey.
    void shrinkingAverages()
    {
        QImage stripes(40, 40, QImage::Format_RGB32);
        for (int x = 0; x < 40; ++x)
            for (int y = 0; y < 40; ++y)
                stripes.setPixel(x, y, (x + y) % 2 ? 0xFFFFFFFF : 0xFF000000);
        const QImage grey = wholeScaled(stripes, QSize(10, 10));
        for (int x = 0; x < 10; ++x)
            for (int y = 0; y < 10; ++y)
                QVERIFY2(qAbs(qGray(grey.pixel(x, y)) - 128) <= 1,
                         qPrintable(QString::number(qGray(grey.pixel(x, y)))));
    }

    // Enlarging interpolates: a black and a white pixel become a ramp.
    void enlargingInterpolates()
    {
        QImage pair(2, 1, QImage::Format_RGB32);
        pair.setPixel(0, 0, 0xFF000000);
        pair.setPixel(1, 0, 0xFFFFFFFF);
        const QImage ramp = wholeScaled(pair, QSize(16, 1));
        QCOMPARE(qGray(ramp.pixel(0, 0)), 0);
        QCOMPARE(qGray(ramp.pixel(15, 0)), 255);
        QSet<int> levels;
        for (int x = 1; x < 16; ++x) {
            QVERIFY(qGray(ramp.pixel(x, 0)) >= qGray(ramp.pixel(x - 1, 0)));
            levels.insert(qGray(ramp.pixel(x, 0)));
        }
        QVERIFY(levels.size() >= 6);
    }

    // On screen, after each scroll, the view shows exactly what scaling the whole picture gives,
    // and within a few levels what the toolkit's smoothing stretch of the whole picture gave.
    void screenShowsWholeScaling_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("scale");
        QTest::addColumn<QPoint>("first");
        QTest::addColumn<QPoint>("second");
        QTest::newRow("125 %") << QSize(300, 400) << 125 << QPoint(0, 0) << QPoint(57, 213);
        QTest::newRow("400 %") << QSize(90, 90) << 400 << QPoint(37, 101) << QPoint(0, 139);
        QTest::newRow("1600 %") << QSize(40, 70) << 1600 << QPoint(213, 700) << QPoint(333, 3);
        QTest::newRow("33 %, narrower than the view")
            << QSize(700, 1900) << 33 << QPoint(0, 230) << QPoint(0, 401);
    }

    void screenShowsWholeScaling()
    {
        QFETCH(QSize, picture);
        QFETCH(int, scale);
        QFETCH(QPoint, first);
        QFETCH(QPoint, second);
        const QImage source = noise(picture);
        Preview preview(source, scale);
        QVERIFY(QTest::qWaitForWindowExposed(&preview.window));
        const QSize size = preview.box->Image()->size();
        const QImage whole = wholeScaled(source, size);
        const QImage toolkit = source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        for (const QPoint position : {first, second}) {
            QVERIFY(preview.scrollAndSettle(position));
            QCOMPARE(QPoint(preview.box->horzPosition(), preview.box->vertPosition()), position);
            const QRect image = preview.box->Image()->geometry().translated(preview.box->pos());
            const QRect view = QRect(preview.box->pos(), preview.box->viewSize()) & image;
            QVERIFY(view.width() > 30 && view.height() > 30);
            QCOMPARE(largestDifference(preview.shown, view, whole, image.topLeft()), 0);
            const int fromToolkit =
                largestDifference(preview.shown, view, toolkit, image.topLeft());
            QVERIFY2(fromToolkit <= 6, qPrintable(QString::number(fromToolkit)));
        }
    }

    // A ticket zoomed to 1600 % is 9216 × 24000 pixels; the pass scales only what is in view.
    void scaledPartBoundedByView()
    {
        QImage ticket(576, 1500, QImage::Format_RGB32);
        ticket.fill(Qt::gray);
        Preview preview(ticket, 1600);
        QVERIFY(QTest::qWaitForWindowExposed(&preview.window));
        TPixImage *image = preview.box->Image();
        QCOMPARE(image->size(), QSize(9216, 24000));
        for (const QPoint position : {QPoint(4000, 12000), QPoint(8900, 23000)}) {
            QVERIFY(preview.scrollAndSettle(position));
            const QRect area = image->smoothedArea();
            QVERIFY2(area.width() <= preview.box->width() && area.height() <= preview.box->height(),
                     qPrintable(QStringLiteral("%1 x %2").arg(area.width()).arg(area.height())));
            // The part in view, in the picture's coordinates.
            const QRect view(-image->pos(), preview.box->viewSize());
            QVERIFY(area.contains(view));
        }
    }
};

QTEST_MAIN(TestSmoothPass)
#include "tst_smoothpass.moc"
