#include "controls/PixGeometry.h"
#include "controls/PixImage.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

namespace {

QImage filled(int w, int h, QColor c, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(w, h, format);
    image.fill(c);
    return image;
}

// Black strokes on white with some single pixels, so that any difference in which source pixel a
// stretch samples shows; shaded adds the grey edges of smoothed text, translucent some alpha.
QImage strokes(QImage::Format format, QSize size = QSize(97, 61), bool shaded = false,
               bool translucent = false)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((x * 7 + y * 3) % 5 == 0 || (x / 9 + y / 4) % 3 == 0)
                image.setPixel(x, y, shaded ? qRgb(x % 128, x % 128, x % 128) : qRgb(0, 0, 0));
    image = image.convertToFormat(format);
    if (translucent)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, 10, qRgba(200, 0, 0, 100));
    return image;
}

// Counts the paint events a widget receives.
struct PaintCounter : QObject
{
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
    int count = 0;
};

} // namespace

class TestPixImage : public QObject
{
    Q_OBJECT

private slots:
    void drawingRect_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("control");
        QTest::addColumn<bool>("stretch");
        QTest::addColumn<bool>("proportional");
        QTest::addColumn<bool>("center");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("proportional shrinks landscape")
            << QSize(400, 200) << QSize(100, 100) << false << true << false << QRect(0, 0, 100, 50);
        QTest::newRow("proportional leaves a fitting picture")
            << QSize(50, 40) << QSize(100, 100) << false << true << false << QRect(0, 0, 50, 40);
        QTest::newRow("stretch proportional centred portrait")
            << QSize(200, 400) << QSize(100, 100) << true << true << true << QRect(25, 0, 50, 100);
        QTest::newRow("stretch fills whatever the ratio")
            << QSize(30, 300) << QSize(100, 80) << true << false << false << QRect(0, 0, 100, 80);
        QTest::newRow("centred natural size cuts both edges")
            << QSize(300, 300) << QSize(100, 100) << false << false << true
            << QRect(QPoint(-100, -100), QPoint(199, 199));
        QTest::newRow("natural size")
            << QSize(30, 20) << QSize(100, 100) << false << false << false << QRect(0, 0, 30, 20);
        QTest::newRow("landscape limited by height")
            << QSize(300, 200) << QSize(200, 100) << true << true << false << QRect(0, 0, 150, 100);
    }

    void drawingRect()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, control);
        QFETCH(bool, stretch);
        QFETCH(bool, proportional);
        QFETCH(bool, center);
        QFETCH(QRect, rect);
        QCOMPARE(PixGeometry::drawingRect(picture.width(), picture.height(), control.width(),
                                          control.height(), stretch, proportional, center),
                 rect);
    }

    void newControl()
    {
        TPixImage image;
        QCOMPARE(image.size(), QSize(105, 105));
        QCOMPARE(image.resampleDelay(), 300);
        QCOMPARE(image.resampleBackColor(), QColor(Qt::white));
        image.setAutoSize(true);
        QCOMPARE(image.size(), QSize(105, 105)); // an empty picture leaves the size alone
        image.setPicture(filled(40, 30, Qt::red));
        QCOMPARE(image.size(), QSize(40, 30));
        QVERIFY(image.isOpaque());
    }

    // Three paints 100 ms apart, then silence: one smooth pass, 300 ms after the third.
    void smoothPassOnceAfterQuiet()
    {
        QWidget window;
        auto *image = new TPixImage(&window);
        image->setPicture(filled(400, 400, Qt::darkGreen));
        image->setStretch(true);
        image->setResample(true);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy passes(image, &TPixImage::OnPaint);
        QElapsedTimer sinceLast;
        for (int i = 0; i < 3; ++i) {
            image->repaint();
            sinceLast.start();
            QTest::qWait(100);
            // Each paint starts the quiet time again (checked only when the machine kept time).
            if (sinceLast.elapsed() < 250)
                QCOMPARE(passes.count(), 0);
        }
        QTRY_COMPARE(passes.count(), 1);
        QVERIFY(sinceLast.elapsed() >= 300);
        QCOMPARE(passes.first().first().value<TPixImage *>(), image);
        QTest::qWait(400);
        QCOMPARE(passes.count(), 1);
    }

    void noSmoothPass_data()
    {
        QTest::addColumn<int>("delay");
        QTest::addColumn<bool>("vector");
        QTest::newRow("delay 0") << 0 << false;
        QTest::newRow("vector picture") << 300 << true;
    }

    void noSmoothPass()
    {
        QFETCH(int, delay);
        QFETCH(bool, vector);
        QWidget window;
        auto *image = new TPixImage(&window);
        TPicture picture;
        if (vector) {
            QPicture drawing;
            QPainter p(&drawing);
            p.drawEllipse(0, 0, 80, 80);
            p.end();
            picture.setVector(drawing);
        } else {
            picture.setImage(filled(80, 80, Qt::blue));
        }
        image->setPicture(picture);
        image->setResample(true);
        image->setResampleDelay(delay);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy passes(image, &TPixImage::OnPaint);
        image->repaint();
        QVERIFY(!image->isSmoothPassPending());
        QTest::qWait(400);
        QCOMPARE(passes.count(), 0);
    }

    // After the smooth pass the transparent pixels show the back colour, not the parent.
    void smoothPassUsesBackColour()
    {
        QWidget window;
        window.setAutoFillBackground(true);
        QPalette pal = window.palette();
        pal.setColor(QPalette::Window, Qt::black);
        window.setPalette(pal);
        window.resize(100, 100);
        auto *image = new TPixImage(&window);
        QImage picture = filled(20, 20, Qt::red);
        for (int x = 0; x < 20; ++x)
            for (int y = 10; y < 20; ++y)
                picture.setPixelColor(x, y, Qt::green); // the bottom-left colour: transparent
        image->setPicture(picture);
        image->setTransparent(true);
        image->setStretch(true);
        image->setResampleBackColor(Qt::yellow);
        image->setResample(true);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QImage afterPass;
        connect(image, &TPixImage::OnPaint, this,
                [&] { afterPass = window.screen()->grabWindow(window.winId()).toImage(); });
        image->repaint();
        QTRY_VERIFY(!afterPass.isNull());
        QCOMPARE(afterPass.pixelColor(50, 90), QColor(Qt::yellow));
        QCOMPARE(afterPass.pixelColor(50, 10), QColor(Qt::red));
        // An ordinary paint leaves the transparent part out.
        QCOMPARE(window.grab().toImage().pixelColor(50, 90), QColor(Qt::black));
    }

    // Writing the value a property already has paints nothing; a new value repaints.
    void unchangedPropertyDoesNothing_data()
    {
        QTest::addColumn<QByteArray>("property");
        for (const char *name :
             {"Stretch", "Center", "Proportional", "Transparent", "Resample", "AutoSize"})
            QTest::newRow(name) << QByteArray(name);
    }

    void unchangedPropertyDoesNothing()
    {
        QFETCH(QByteArray, property);
        using Setter = void (TPixImage::*)(bool);
        using Getter = bool (TPixImage::*)() const;
        const QHash<QByteArray, std::pair<Getter, Setter>> properties = {
            {"Stretch", {&TPixImage::stretch, &TPixImage::setStretch}},
            {"Center", {&TPixImage::center, &TPixImage::setCenter}},
            {"Proportional", {&TPixImage::proportional, &TPixImage::setProportional}},
            {"Transparent", {&TPixImage::transparent, &TPixImage::setTransparent}},
            {"Resample", {&TPixImage::resample, &TPixImage::setResample}},
            {"AutoSize", {&TPixImage::autoSize, &TPixImage::setAutoSize}},
        };
        const auto [get, set] = properties.value(property);
        QWidget window;
        window.resize(200, 100);
        auto *image = new TPixImage(&window);
        image->resize(60, 60);
        image->setPicture(filled(40, 30, Qt::red));
        // Painted beside the image: once it has been painted, so has everything asked for before.
        auto *beside = new QWidget(&window);
        beside->setGeometry(150, 0, 20, 20);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        PaintCounter imagePaints(image);
        PaintCounter besidePaints(beside);
        const auto settle = [&] {
            const int before = besidePaints.count;
            beside->update();
            return QTest::qWaitFor([&] { return besidePaints.count > before; });
        };
        QVERIFY(settle());
        imagePaints.count = 0;

        const bool current = (image->*get)();
        (image->*set)(current);
        QVERIFY(settle());
        QCOMPARE(imagePaints.count, 0);
        QVERIFY(!image->isSmoothPassPending());

        (image->*set)(!current);
        QCOMPARE((image->*get)(), !current);
        QVERIFY(settle());
        QVERIFY(imagePaints.count > 0);
    }

    void loadingReportsProgress()
    {
        TPixImage image;
        QSignalSpy progress(&image, &TPixImage::OnProgress);
        QImage png(12, 8, QImage::Format_RGB32);
        png.fill(Qt::red);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        png.save(&buffer, "PNG");
        QVERIFY(image.loadPicture(bytes));
        QCOMPARE(image.picture().width(), 12);
        QCOMPARE(progress.count(), 2);
        QCOMPARE(progress.last().at(1).toInt(), 2);
        QCOMPARE(progress.last().at(2).toInt(), 100);
        QVERIFY(!image.loadPicture("not a picture"));
        QVERIFY(image.picture().isEmpty());
    }

    // A picture kept compact paints exactly as the decoded one: the plain stretch at every scale
    // and the smooth pass.
    void compactPicturePaintsTheSame_data()
    {
        QTest::addColumn<QImage>("decoded");
        QTest::addColumn<QSize>("size");
        // Sizes at which Qt's plain stretch samples a 32-bit picture unlike an indexed one.
        const QImage black = strokes(QImage::Format_RGB32);
        QTest::newRow("32-bit, reduced")
            << strokes(QImage::Format_RGB32, QSize(576, 450)) << QSize(426, 332);
        QTest::newRow("32-bit, natural size") << black << black.size();
        QTest::newRow("32-bit, enlarged") << black << QSize(211, 132);
        QTest::newRow("32-bit, stretched") << black << QSize(273, 61);
        QTest::newRow("32-bit shaded, enlarged")
            << strokes(QImage::Format_RGB32, black.size(), true) << QSize(211, 132);
        QTest::newRow("32-bit translucent, enlarged")
            << strokes(QImage::Format_ARGB32, black.size(), false, true) << QSize(211, 132);
        QTest::newRow("8-bit, enlarged") << strokes(QImage::Format_Indexed8) << QSize(211, 132);
    }

    void compactPicturePaintsTheSame()
    {
        QFETCH(QImage, decoded);
        QFETCH(QSize, size);
        QWidget window;
        window.resize(size.width() * 2 + 10, size.height());
        TPicture compact;
        compact.setCompactImage(decoded);
        QVERIFY(compact.image().depth() < decoded.depth());
        TPicture plain;
        plain.setImage(decoded);
        QList<TPixImage *> images;
        for (const TPicture &picture : {plain, compact}) {
            auto *image = new TPixImage(&window);
            image->setGeometry(images.size() * (size.width() + 10), 0, size.width(), size.height());
            image->setStretch(true);
            image->setPicture(picture);
            image->setResample(true);
            images.append(image);
        }
        const auto shot = [&](const TPixImage *image, const QImage &whole) {
            return whole.copy(image->geometry());
        };
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage painted = window.grab().toImage();
        QCOMPARE(shot(images[1], painted), shot(images[0], painted));

        QSignalSpy first(images[0], &TPixImage::OnPaint);
        QSignalSpy second(images[1], &TPixImage::OnPaint);
        images[0]->repaint();
        images[1]->repaint();
        // The last paint of each is a smooth pass: any ordinary paint would start another.
        QTRY_VERIFY(first.count() > 0 && second.count() > 0 && !images[0]->isSmoothPassPending()
                    && !images[1]->isSmoothPassPending());
        const QImage smooth = window.screen()->grabWindow(window.winId()).toImage();
        QCOMPARE(shot(images[1], smooth), shot(images[0], smooth));
    }

    void convertTo24Bit()
    {
        TPixImage image;
        const QImage rgb = filled(10, 10, Qt::red);
        image.setPicture(rgb);
        QVERIFY(image.ConvertTo24Bit(Qt::white));
        QCOMPARE(image.picture().image().cacheKey(), rgb.cacheKey());

        QImage argb = filled(10, 10, Qt::transparent, QImage::Format_ARGB32);
        argb.setPixelColor(0, 0, Qt::blue);
        TPicture icon;
        icon.setImage(argb, TPicture::Kind::Icon);
        image.setPicture(icon);
        QVERIFY(image.ConvertTo24Bit(Qt::yellow));
        QCOMPARE(image.picture().kind(), TPicture::Kind::Raster);
        QCOMPARE(image.picture().image().pixelColor(5, 5), QColor(Qt::yellow));
        QCOMPARE(image.picture().image().pixelColor(0, 0), QColor(Qt::blue));

        image.setPicture(TPicture());
        QVERIFY(!image.ConvertTo24Bit(Qt::white));
    }
};

QTEST_MAIN(TestPixImage)
#include "tst_piximage.moc"
