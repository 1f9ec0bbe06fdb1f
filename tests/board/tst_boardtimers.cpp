#include "BoardFixture.h"
#include "board/PageColumn.h"
#include "controls/PixImageBox.h"
#include "controls/XiButton.h"
#include "preview/BildPreview.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The board's own timers run their handlers: each is fired through its timeout signal, as the
// event loop fires it, so a timer that is not connected, not started or set to another interval
// fails here.

namespace {

const QSize boardSize(1200, 800);

void fire(QTimer *timer)
{
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
}

void press(const TBoxInfo &record)
{
    QTest::mouseClick(record.FootPanel->findChild<TXiButton *>(), Qt::LeftButton, {},
                      QPoint(17, 15));
}

} // namespace

class TestBoardTimers : public QObject
{
    Q_OBJECT

private slots:
    void cardClockTicksEverySecond()
    {
        BoardFixture f;
        f.add(300, 0, 59);
        f.add(300, 0, 1000);
        TF_Mainform &b = f.start(boardSize);
        TBoxInfo &first = *b.MainList[0];
        TBoxInfo &second = *b.MainList[1];
        // One clock for every open card.
        QTimer &clock = b.model().clock();
        QVERIFY(clock.isActive());
        QVERIFY(!clock.isSingleShot());
        QCOMPARE(clock.interval(), 1000);
        clock.stop();
        fire(&clock);
        QCOMPARE(first.Seconds, 60);
        QCOMPARE(first.ClockPanel->caption(), u"00:01"_s);
        QCOMPARE(second.Seconds, 1001);
        QCOMPARE(second.FootPanel->color(), QColor(0xED, 0x9C, 0x9A)); // past the red limit
    }

    void okWaitsFiftyMillisecondsThenFinishes()
    {
        BoardFixture f;
        f.add();
        f.add();
        TF_Mainform &b = f.start(boardSize);
        press(*b.MainList[1]);
        QVERIFY(b.ti_ReArrange.isActive());
        QCOMPARE(b.ti_ReArrange.interval(), 50);
        QCOMPARE(tagOf(&b.ti_ReArrange), 2);
        QCOMPARE(b.MainList.size(), size_t(2));
        fire(&b.ti_ReArrange);
        QVERIFY(settle(b));
        QCOMPARE(f.ids(b.MainList), QList<QString> {u"1"_s});
        QVERIFY(!b.ti_ReArrange.isActive()); // once only
    }

    void xWaitsFiftyMillisecondsThenReopens()
    {
        BoardFixture f;
        f.add();
        f.add(300, 1, 30);
        TF_Mainform &b = f.start(boardSize);
        showTab(b, 1);
        QCOMPARE(b.ReadyList.size(), size_t(1));
        press(*b.ReadyList[0]);
        QVERIFY(b.ti_ReArrangeReady.isActive());
        QCOMPARE(b.ti_ReArrangeReady.interval(), 50);
        QCOMPARE(tagOf(&b.ti_ReArrangeReady), 2);
        QCOMPARE(b.ReadyList.size(), size_t(1));
        fire(&b.ti_ReArrangeReady);
        QVERIFY(settle(b));
        QCOMPARE(b.ReadyList.size(), size_t(0));
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s}));
        QVERIFY(!b.ti_ReArrangeReady.isActive());
    }

    void previewClockTicksEverySecond()
    {
        BoardFixture f;
        f.add(300, 0, 120);
        TF_Mainform &b = f.start(boardSize);
        TBoxInfo &card = *b.MainList[0];
        QTest::mouseClick(card.ImageBox->Image(), Qt::LeftButton, {}, QPoint(30, 30));
        auto *preview = b.findChild<TF_BildPreview *>();
        QVERIFY(preview);
        QVERIFY(preview->ti_Sekunder.isActive());
        QCOMPARE(preview->ti_Sekunder.interval(), 1000);
        const int age = preview->age();
        fire(&preview->ti_Sekunder);
        QCOMPARE(preview->age(), age + 1);
        QCOMPARE(preview->pa_MallKlocka->caption(), u"00:02"_s);
        preview->close();
    }
};

QTEST_MAIN(TestBoardTimers)
#include "tst_boardtimers.moc"
