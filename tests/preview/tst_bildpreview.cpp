#include "controls/Panel.h"
#include "controls/PixImageBox.h"
#include "controls/WindowPlacement.h"
#include "controls/XiButton.h"
#include "preview/BildPreview.h"

#include <QDir>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

TPicture ticket(int height)
{
    QImage image(576, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    QFont font;
    font.setPixelSize(30);
    p.setFont(font);
    for (int y = 60; y < height; y += 60)
        p.drawText(20, y, u"2 x Räksmörgås"_s);
    TPicture picture;
    picture.setImage(image);
    return picture;
}

QColor byAge(int age)
{
    return age > 1000 ? Qt::red : age > 500 ? Qt::yellow : Qt::green;
}

} // namespace

class TestBildPreview : public QObject
{
    Q_OBJECT

private slots:
    void design()
    {
        TF_BildPreview p(byAge);
        QVERIFY(p.windowFlags() & Qt::Tool);
        QVERIFY(p.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(p.windowTitle().trimmed(), QString());
        QVERIFY(p.testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(p.Bild->geometry(), QRect(0, 0, 508, 627));
        QCOMPARE(p.pa_Botten->geometry(), QRect(0, 627, 508, 36));
        QCOMPARE(p.pa_MallKlocka->width(), 121);
        QCOMPARE(p.pa_MallKlocka->font().pixelSize(), 27);
        QVERIFY(p.pa_MallKlocka->font().bold());
        QCOMPARE(p.pa_MallKlocka->caption(), u"02:01"_s);
        QCOMPARE(p.pa_Hoger->width(), 344);
        QCOMPARE(p.bu_stang->size(), QSize(41, 35));
        QCOMPARE(p.bu_stang->mapTo(p.pa_Botten, QPoint(0, 0)).x() + 41, 508);
        QVERIFY(!p.ti_Sekunder.isActive());
        QVERIFY(!p.Bild->imageDrag());
        QVERIFY(!p.Bild->horzScrollBarVisible());
    }

    void counts_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("color");
        QTest::newRow("299") << 298 << "00:04" << QColor(Qt::green);
        QTest::newRow("300") << 299 << "00:05" << QColor(Qt::green);
        QTest::newRow("older than the red limit") << 1500 << "00:25" << QColor(Qt::red);
    }

    void counts()
    {
        QFETCH(int, start);
        QFETCH(QString, text);
        QFETCH(QColor, color);
        auto *p = new TF_BildPreview(byAge);
        p->showTicket(ticket(1500), byAge(start), start);
        QCOMPARE(p->pa_MallKlocka->caption(), u"02:01"_s); // until the first tick
        QCOMPARE(p->pa_Botten->color(), byAge(start));
        QVERIFY(p->ti_Sekunder.isActive());
        QCOMPARE(p->ti_Sekunder.interval(), 1000);
        QVERIFY(QMetaObject::invokeMethod(&p->ti_Sekunder, "timeout")); // a tick
        QCOMPARE(p->age(), start + 1);
        QCOMPARE(p->pa_MallKlocka->caption(), text);
        QCOMPARE(p->pa_Botten->color(), color);
        QCOMPARE(p->pa_Hoger->color(), color);
        p->close();
    }

    void pictureFillsTheWidthAndScrollsDown()
    {
        auto *p = new TF_BildPreview(byAge);
        p->showTicket(ticket(3000), Qt::green, 10);
        QVERIFY(QTest::qWaitForWindowExposed(p));
        QCOMPARE(p->Bild->imageScale(), 88); // 508 / 576
        QCOMPARE(p->Bild->Image()->width(), 507);
        QVERIFY(p->Bild->verticalScrollBar()->isVisible());
        QVERIFY(!p->Bild->horizontalScrollBar()->isVisible());
        const QString dir = QStringLiteral(QT_TESTCASE_BUILDDIR "/shots");
        QDir().mkpath(dir);
        QTest::qWait(350);
        QVERIFY(p->grab().save(dir + u"/preview.png"_s));
        QPointer<TF_BildPreview> alive(p);
        QTest::mouseClick(p->bu_stang, Qt::LeftButton, {}, QPoint(20, 17));
        QTRY_VERIFY(!alive);
    }

    void resizeKeepsTheBarAtTheBottom_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("scale");
        QTest::newRow("smaller") << QSize(380, 300) << 66; // 380 / 576
        QTest::newRow("larger") << QSize(900, 1000) << 156;
    }

    void resizeKeepsTheBarAtTheBottom()
    {
        QFETCH(QSize, size);
        QFETCH(int, scale);
        auto *p = new TF_BildPreview(byAge);
        p->showTicket(ticket(3000), Qt::green, 10);
        QVERIFY(QTest::qWaitForWindowExposed(p));
        p->resize(size);
        QTRY_COMPARE(p->size(), size);
        const int w = size.width(), h = size.height();
        QCOMPARE(p->Bild->geometry(), QRect(0, 0, w, h - 36));
        QCOMPARE(p->pa_Botten->geometry(), QRect(0, h - 36, w, 36));
        QCOMPARE(p->pa_MallKlocka->geometry(), QRect(0, 0, 121, 36));
        QCOMPARE(p->bu_stang->mapTo(p, QPoint(41, 35)), QPoint(w, h - 1));
        // The right-hand panel never covers the clock; the picture keeps filling the width.
        QVERIFY(p->pa_Hoger->x() >= 121);
        QCOMPARE(p->pa_Hoger->geometry().right(), w - 1);
        QCOMPARE(p->Bild->imageScale(), scale);
        QVERIFY(p->Bild->verticalScrollBar()->isVisible());
        QVERIFY(!p->Bild->horizontalScrollBar()->isVisible());
        const QString dir = QStringLiteral(QT_TESTCASE_BUILDDIR "/shots");
        QDir().mkpath(dir);
        QTest::qWait(350);
        QVERIFY(p->grab().save(dir + u"/preview-%1x%2.png"_s.arg(w).arg(h)));
        p->close();
    }

    void opensCentredWithItsFrame()
    {
        auto *p = new TF_BildPreview(byAge);
        p->showTicket(ticket(400), Qt::green, 10);
        QVERIFY(QTest::qWaitForWindowExposed(p));
        const QRect area = p->screen()->availableGeometry();
        // The frame stands as far from the left edge as from the right, and from the top as
        // from the bottom.
        const auto centred = [&] {
            const QRect frame = p->frameGeometry();
            return frame != p->geometry()
                && qAbs((frame.left() - area.left()) - (area.right() - frame.right())) <= 1
                && qAbs((frame.top() - area.top()) - (area.bottom() - frame.bottom())) <= 1;
        };
        QTRY_VERIFY2(centred(),
                     qPrintable(u"%1,%2 %3x%4"_s.arg(p->frameGeometry().x())
                                    .arg(p->frameGeometry().y())
                                    .arg(p->frameGeometry().width())
                                    .arg(p->frameGeometry().height())));
        p->close();
    }

    void frameCentredOnTheScreen_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QMargins>("frame");
        QTest::addColumn<QPoint>("topLeft");
        // 508 × 663 is the preview's client area.
        QTest::newRow("small title bar")
            << QRect(0, 0, 1920, 1080) << QMargins(1, 20, 1, 5) << QPoint(705, 196);
        QTest::newRow("designed frame, 524 x 702")
            << QRect(0, 0, 1920, 1080) << QMargins(8, 31, 8, 8) << QPoint(698, 189);
        QTest::newRow("second screen, no frame")
            << QRect(1920, 40, 1280, 984) << QMargins() << QPoint(2306, 200);
    }

    void frameCentredOnTheScreen()
    {
        QFETCH(QRect, area);
        QFETCH(QMargins, frame);
        QFETCH(QPoint, topLeft);
        QCOMPARE(WindowPlacement::centredFramePosition(area, QSize(508, 663), frame), topLeft);
    }

    void doneTicket()
    {
        auto *p = new TF_BildPreview(byAge);
        p->showDoneTicket(ticket(400));
        QCOMPARE(p->pa_Botten->color(), QColor(Qt::black));
        QCOMPARE(p->pa_MallKlocka->caption(), u"02:01"_s);
        QVERIFY(!p->ti_Sekunder.isActive());
        p->close();
    }

    void previewsAreIndependent()
    {
        QPointer<TF_BildPreview> a = new TF_BildPreview(byAge);
        QPointer<TF_BildPreview> b = new TF_BildPreview(byAge);
        a->showTicket(ticket(400), Qt::green, 10);
        b->showTicket(ticket(400), Qt::green, 100);
        a->ti_SekunderTimer();
        QCOMPARE(a->age(), 11);
        QCOMPARE(b->age(), 100);
        a->close();
        QTRY_VERIFY(!a);
        QVERIFY(b && b->ti_Sekunder.isActive());
        b->close();
    }
};

QTEST_MAIN(TestBildPreview)
#include "tst_bildpreview.moc"
