#include "controls/PixGeometry.h"
#include "controls/PixImageBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace {

QImage picture(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    return image;
}

// A shown box of a given size with a picture loaded the way cards and previews load theirs.
struct Box
{
    QWidget window;
    TPixImageBox *box = new TPixImageBox(&window);
    Box(QSize size, QSize pictureSize)
    {
        box->resize(size);
        window.resize(size + QSize(20, 20));
        window.show();
        load(pictureSize);
    }
    void load(QSize pictureSize)
    {
        box->Image()->setPicture(picture(pictureSize.width(), pictureSize.height()));
        box->PictureLoaded();
    }
};

} // namespace

class TestPixImageBox : public QObject
{
    Q_OBJECT

private slots:
    void defaults()
    {
        TPixImageBox box;
        QVERIFY(!box.imageFitToWindow());
        QVERIFY(box.imageFitOnlyBig() && box.imageCenter() && box.imageKeepPosition());
        QVERIFY(box.imageDrag() && box.focusable());
        QCOMPARE(box.imageScale(), 100);
        QCOMPARE(box.imageDragCursor().shape(), Qt::SizeAllCursor);
        QCOMPARE(box.imageScaleCursor().shape(), Qt::SizeVerCursor);
        QVERIFY(box.OverlayLabel()->isHidden());
        QVERIFY(box.Image()->incrementalDisplay());
    }

    void fixedScaleRoundsHalvesToEven_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("displayed");
        QTest::newRow("5 at 50") << 5 << 50 << 2;
        QTest::newRow("7 at 50") << 7 << 50 << 4;
        QTest::newRow("450 at 50") << 450 << 50 << 225;
        QTest::newRow("576 at 39") << 576 << 39 << 225; // 224.64
    }

    void fixedScaleRoundsHalvesToEven()
    {
        QFETCH(int, width);
        QFETCH(int, scale);
        QFETCH(int, displayed);
        QCOMPARE(PixGeometry::scaledSize(width, 10, scale).width, displayed);
        Box b(QSize(300, 300), QSize(width, 10));
        b.box->setImageScale(scale);
        QCOMPARE(b.box->Image()->width(), displayed);
    }

    void fitted_data()
    {
        QTest::addColumn<bool>("onlyBig");
        QTest::addColumn<QSize>("pictureSize");
        QTest::addColumn<QRect>("bounds");
        QTest::addColumn<int>("scale");
        QTest::newRow("fitted") << false << QSize(600, 600) << QRect(50, 0, 200, 200) << 33;
        QTest::newRow("only big leaves a small one")
            << true << QSize(100, 100) << QRect(100, 50, 100, 100) << 100;
    }

    void fitted()
    {
        QFETCH(bool, onlyBig);
        QFETCH(QSize, pictureSize);
        QFETCH(QRect, bounds);
        QFETCH(int, scale);
        Box b(QSize(300, 200), pictureSize);
        b.box->setImageFitOnlyBig(onlyBig);
        QSignalSpy options(b.box, &TPixImageBox::OnOptionsChange);
        b.box->setImageFitToWindow(true);
        QCOMPARE(b.box->Image()->geometry(), bounds);
        QCOMPARE(b.box->imageScale(), scale);
        QCOMPARE(options.count(), 0);
    }

    void keepPositionOnScaleChange()
    {
        Box b(QSize(200, 100), QSize(1000, 20));
        QCOMPARE(b.box->viewSize().width(), 200);
        b.box->setHorzPosition(300);
        QCOMPARE(b.box->horzPosition(), 300);
        QSignalSpy options(b.box, &TPixImageBox::OnOptionsChange);
        b.box->setImageScale(200);
        QCOMPARE(b.box->Image()->width(), 2000);
        QCOMPARE(b.box->horzPosition(), 700);
        QCOMPARE(options.count(), 1);
        b.box->setImageScale(200); // the current value: nothing
        QCOMPARE(options.count(), 1);

        b.box->setImageKeepPosition(false);
        b.box->setImageScale(150);
        QCOMPARE(b.box->horzPosition(), 0);
    }

    void stepTable_data()
    {
        QTest::addColumn<int>("scale");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("next");
        QTest::newRow("110 up") << 110 << true << 125;
        QTest::newRow("110 down") << 110 << false << 100;
        QTest::newRow("100 up") << 100 << true << 125;
        QTest::newRow("1600 up") << 1600 << true << -1;
        QTest::newRow("7 down") << 7 << false << -1;
        QTest::newRow("3 up") << 3 << true << 7;
    }

    void stepTable()
    {
        QFETCH(int, scale);
        QFETCH(bool, up);
        QFETCH(int, next);
        QCOMPARE(PixGeometry::stepScale(scale, up).value_or(-1), next);
    }

    void pageStep()
    {
        QCOMPARE(PixGeometry::pageStep(30), 20);
        QCOMPARE(PixGeometry::pageStep(300), 280);
    }

    void wheel()
    {
        Box b(QSize(200, 200), QSize(150, 1000));
        QSignalSpy scrolls(b.box, &TPixImageBox::OnScroll);
        const QPoint at(10, 10);
        QWheelEvent down(at, b.box->mapToGlobal(at), {}, QPoint(0, -240), Qt::NoButton,
                         Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(b.box, &down);
        QCOMPARE(b.box->vertPosition(), 100); // two notches
        QCOMPARE(scrolls.count(), 2);

        QWheelEvent zoom(at, b.box->mapToGlobal(at), {}, QPoint(0, 120), Qt::NoButton,
                         Qt::ControlModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(b.box, &zoom);
        QCOMPARE(b.box->imageScale(), 125);
        b.box->setImageScale(1600);
        QCoreApplication::sendEvent(b.box, &zoom);
        QCOMPARE(b.box->imageScale(), 1600);
        QVERIFY(zoom.isAccepted());
    }

    void hiddenScrollBarsClampEverything()
    {
        Box b(QSize(200, 200), QSize(2000, 2000));
        b.box->setHorzScrollBarVisible(false);
        b.box->setFocus();
        QSignalSpy scrolls(b.box, &TPixImageBox::OnScroll);
        QTest::keyClick(b.box, Qt::Key_Right);
        QTest::keyClick(b.box, Qt::Key_End);
        QTest::keyClick(b.box, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(b.box->horzPosition(), 0);
        QCOMPARE(scrolls.count(), 3); // raised even at the limit
        const QPoint at(10, 10);
        QWheelEvent shift(at, b.box->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton,
                          Qt::ShiftModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(b.box, &shift);
        QCOMPARE(b.box->horzPosition(), 0);

        QTest::mousePress(b.box->Image(), Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(b.box->Image(), QPoint(20, 20));
        QCOMPARE(b.box->horzPosition(), 0);
        QCOMPARE(b.box->vertPosition(), 80);
        QTest::mouseRelease(b.box->Image(), Qt::LeftButton, {}, QPoint(20, 20));

        QTest::keyClick(b.box, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(b.box->vertPosition(), b.box->verticalScrollBar()->maximum());
        QTest::keyClick(b.box, Qt::Key_PageUp);
        QCOMPARE(b.box->vertPosition(),
                 b.box->verticalScrollBar()->maximum()
                     - PixGeometry::pageStep(b.box->viewSize().height()));
        QTest::keyClick(b.box, Qt::Key_PageUp, Qt::ControlModifier); // not handled
        QTest::keyClick(b.box, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(b.box->vertPosition(), 0);
    }

    void keysScrollBothWays()
    {
        Box b(QSize(200, 200), QSize(2000, 2000));
        b.box->setFocus();
        QTest::keyClick(b.box, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(b.box->horzPosition(), b.box->horizontalScrollBar()->maximum());
        QVERIFY(b.box->horzPosition() > 1700);
        QTest::keyClick(b.box, Qt::Key_Left);
        QCOMPARE(b.box->horzPosition(), b.box->horizontalScrollBar()->maximum() - 50);
    }

    // A press, a drag and a release over the picture: the view has scrolled, the click is raised
    // with the picture as sender, and dragging raised no OnScroll.
    void clickAfterDrag()
    {
        Box b(QSize(200, 200), QSize(200, 1000));
        b.box->setHorzScrollBarVisible(false);
        QSignalSpy clicks(b.box, &TPixImageBox::OnClick);
        QSignalSpy scrolls(b.box, &TPixImageBox::OnScroll);
        QSignalSpy downs(b.box, &TPixImageBox::OnMouseDown);
        TPixImage *image = b.box->Image();
        QTest::mousePress(image, Qt::LeftButton, {}, QPoint(50, 150));
        QVERIFY(b.box->isDragging());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::SizeAllCursor);
        QTest::mouseMove(image, QPoint(50, 50));
        QCOMPARE(b.box->vertPosition(), 100);
        // The picture moved with the scroll, so the grabbed point is under the pointer again.
        QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(50, 150));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.first().first().value<QObject *>(), image);
        QCOMPARE(scrolls.count(), 0);
        QCOMPARE(downs.count(), 1);
        QCOMPARE(downs.first().at(2).toPoint(), QPoint(50, 150));
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(!b.box->isDragging());
    }

    void rightPressFocusesWithoutDrag()
    {
        Box b(QSize(200, 200), QSize(200, 1000));
        b.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&b.window));
        QSignalSpy downs(b.box, &TPixImageBox::OnMouseDown);
        QTest::mousePress(b.box->Image(), Qt::RightButton, {}, QPoint(50, 50));
        QVERIFY(b.box->hasFocus());
        QCOMPARE(downs.count(), 1);
        QVERIFY(!b.box->isDragging());
        QTest::mouseRelease(b.box->Image(), Qt::RightButton, {}, QPoint(50, 50));
    }

    // A press of any button, on the picture or beside it, focuses the box only when Focusable
    // is on; OnMouseDown is raised either way.
    void pressFocusesOnlyWhenFocusable_data()
    {
        QTest::addColumn<bool>("focusable");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("onPicture");
        const std::pair<Qt::MouseButton, const char *> buttons[] = {
            {Qt::LeftButton, "left"}, {Qt::RightButton, "right"}, {Qt::MiddleButton, "middle"}};
        for (const bool focusable : {true, false})
            for (const auto &[button, name] : buttons)
                for (const bool onPicture : {true, false})
                    QTest::addRow("%s %s %s", focusable ? "focusable" : "not focusable", name,
                                  onPicture ? "on the picture" : "beside it")
                        << focusable << button << onPicture;
    }

    void pressFocusesOnlyWhenFocusable()
    {
        QFETCH(bool, focusable);
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, onPicture);
        Box b(QSize(300, 280), QSize(100, 100));
        auto *other = new QLineEdit(&b.window);
        other->setGeometry(0, 282, 100, 18);
        other->show();
        b.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&b.window));
        other->setFocus();
        QVERIFY(other->hasFocus());
        b.box->setFocusable(focusable);
        QSignalSpy downs(b.box, &TPixImageBox::OnMouseDown);
        QWidget *target = onPicture ? static_cast<QWidget *>(b.box->Image()) : b.box;
        const QPoint at = onPicture ? QPoint(50, 50) : QPoint(5, 5);
        QTest::mousePress(target, button, {}, at);
        QCOMPARE(b.box->hasFocus(), focusable);
        QCOMPARE(other->hasFocus(), !focusable);
        QCOMPARE(downs.count(), 1);
        QTest::mouseRelease(target, button, {}, at);
    }

    void clickBesideThePicture()
    {
        Box b(QSize(300, 300), QSize(100, 100));
        QSignalSpy clicks(b.box, &TPixImageBox::OnClick);
        QTest::mouseClick(b.box, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.first().first().value<QObject *>(), b.box);
    }

    // An empty picture records 0 x 0 and the scale 100, raises nothing and lays nothing out:
    // Image keeps its bounds, the view its scroll positions, and the box shows only its colour.
    void emptyPicture()
    {
        Box b(QSize(300, 300), QSize(400, 500));
        b.box->setColor(Qt::cyan);
        b.box->setImageScale(150);
        b.box->setHorzPosition(120);
        b.box->setVertPosition(200);
        const QRect bounds = b.box->Image()->geometry();
        QCOMPARE(bounds, QRect(-120, -200, 600, 750));
        QSignalSpy options(b.box, &TPixImageBox::OnOptionsChange);

        b.box->Image()->setPicture(TPicture());
        b.box->PictureLoaded();
        QCOMPARE(b.box->pictureWidth(), 0);
        QCOMPARE(b.box->pictureHeight(), 0);
        QCOMPARE(b.box->imageScale(), 100);
        QCOMPARE(options.count(), 0);
        QCOMPARE(b.box->Image()->geometry(), bounds);
        QCOMPARE(b.box->horzPosition(), 120);
        QCOMPARE(b.box->vertPosition(), 200);

        const QImage shown = b.box->grab(QRect(QPoint(0, 0), b.box->viewSize())).toImage();
        int other = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                other += shown.pixelColor(x, y) != QColor(Qt::cyan);
        QCOMPARE(other, 0);
    }

    void iconIsConvertedAndScales()
    {
        Box b(QSize(300, 300), QSize(10, 10));
        QImage argb(16, 16, QImage::Format_ARGB32);
        argb.fill(Qt::transparent);
        TPicture icon;
        icon.setImage(argb, TPicture::Kind::Icon);
        b.box->setColor(Qt::cyan);
        b.box->Image()->setPicture(icon);
        b.box->PictureLoaded();
        QCOMPARE(b.box->Image()->picture().kind(), TPicture::Kind::Raster);
        QCOMPARE(b.box->Image()->picture().image().pixelColor(3, 3), QColor(Qt::cyan));
        b.box->setImageScale(200);
        QCOMPARE(b.box->Image()->size(), QSize(32, 32));
    }
};

QTEST_MAIN(TestPixImageBox)
#include "tst_piximagebox.moc"
