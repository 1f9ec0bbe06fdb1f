// The signal of new tickets: the cards a refresh cycle added pulse a frame for a while, and a
// sound marks a cycle that added tickets, as "SPISKO.INI" asks.
#include "BoardFixture.h"
#include "board/CardFrame.h"
#include "board/NewTicketHighlight.h"
#include "board/PageColumn.h"
#include "controls/PixImageBox.h"
#include "controls/XiButton.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QSize boardSize(1200, 800);

NewTicketHighlight &highlight(TF_Mainform &b)
{
    return *b.findChild<NewTicketHighlight *>();
}

// The ticket numbers whose cards carry a frame.
QList<int> framed(const CardList &list)
{
    QList<int> out;
    for (const auto &record : list) {
        if (!record->Panel->findChildren<CardFrame *>().isEmpty())
            out.append(record->Number);
    }
    return out;
}

} // namespace

class TestNewTickets : public QObject
{
    Q_OBJECT

private slots:
    void newCardsPulseForAWhile_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::newRow("added") << QByteArray();
        QTest::newRow("rebuilt") << QByteArray("[SKARM]\r\nREPAINT=J\r\n");
    }

    void newCardsPulseForAWhile()
    {
        QFETCH(QByteArray, settings);
        BoardFixture f(settings);
        f.add();
        f.add();
        TF_Mainform &b = f.start(boardSize);
        highlight(b).setDuration(1500);
        int sounds = 0;
        highlight(b).sound = [&sounds] {
            ++sounds;
        };
        QCOMPARE(framed(b.MainList), QList<int> {}); // the start-up build is not signalled
        cycle(b);
        QCOMPARE(framed(b.MainList), QList<int> {}); // nothing came

        f.add();
        f.add();
        cycle(b);
        QCOMPARE(framed(b.MainList), (QList<int> {3, 4}));
        QCOMPARE(sounds, 0); // no sound unless asked for
        CardFrame *frame = highlight(b).frameOf(3);
        QCOMPARE(frame->parentWidget(), b.MainList[2]->Panel);
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->geometry(), QRect(0, 0, 225, b.MainList[2]->FootPanel->y()));
        // It pulses.
        const int first = frame->strength();
        QTRY_VERIFY(frame->strength() != first);
        // A second cycle keeps the frames on the cards, rebuilt or not, until their time is up.
        cycle(b);
        QCOMPARE(framed(b.MainList), (QList<int> {3, 4}));
        QTRY_COMPARE(framed(b.MainList), QList<int> {});
        QCOMPARE(highlight(b).frameOf(3), nullptr);
    }

    // The picture of a pulsing card is smoothed as any other: the pulse repaints only its frame.
    void pulsingCardGetsItsSmoothPass()
    {
        BoardFixture f;
        f.add();
        TF_Mainform &b = f.start(boardSize);
        highlight(b).setDuration(60000);
        f.add();
        cycle(b);
        QCOMPARE(framed(b.MainList), QList<int> {2});
        QSignalSpy smoothed(b.MainList[1]->ImageBox->Image(), &TPixImage::OnPaint);
        QTRY_VERIFY_WITH_TIMEOUT(smoothed.count() > 0, 2500);
        QVERIFY(highlight(b).frameOf(2)->isVisible());
    }

    void soundOncePerCycleThatAddedTickets_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<int>("sounds");
        QTest::addColumn<bool>("frames");
        QTest::newRow("defaults") << QByteArray() << 0 << true;
        QTest::newRow("sound") << QByteArray("[SKARM]\r\nNYLJUD=J\r\n") << 1 << true;
        QTest::newRow("lower-case j is no") << QByteArray("[SKARM]\r\nNYLJUD=j\r\n") << 0 << true;
        QTest::newRow("sound, no frames")
            << QByteArray("[SKARM]\r\nNYLJUD=J\r\nNYBLINKA=N\r\n") << 1 << false;
    }

    void soundOncePerCycleThatAddedTickets()
    {
        QFETCH(QByteArray, settings);
        QFETCH(int, sounds);
        QFETCH(bool, frames);
        BoardFixture f(settings);
        TF_Mainform &b = f.start(boardSize);
        int heard = 0;
        highlight(b).sound = [&heard] {
            ++heard;
        };
        f.add();
        f.add();
        f.add();
        cycle(b);
        QCOMPARE(b.MainList.size(), size_t(3));
        QCOMPARE(heard, sounds);
        QCOMPARE(framed(b.MainList).size(), frames ? 3 : 0);
        cycle(b);
        QCOMPARE(heard, sounds);
    }

    void aTicketBroughtBackIsNotNew()
    {
        BoardFixture f("[SKARM]\r\nNYLJUD=J\r\n");
        f.add(300, 1, 754);
        TF_Mainform &b = f.start(boardSize);
        highlight(b).setDuration(60000);
        int heard = 0;
        highlight(b).sound = [&heard] {
            ++heard;
        };
        showTab(b, 1);
        QTest::mouseClick(b.ReadyList[0]->FootPanel->findChild<TXiButton *>(), Qt::LeftButton, {},
                          QPoint(17, 15));
        QTRY_COMPARE(b.MainList.size(), size_t(1));
        cycle(b);
        QCOMPARE(framed(b.MainList), QList<int> {});
        QCOMPARE(heard, 0);
    }

    // The cook brings a ticket back while a cycle reads: the late-ticket check of that cycle
    // finds it open, and it is still not new.
    void aTicketBroughtBackDuringACycleIsNotNew()
    {
        BoardFixture f("[SKARM]\r\nNYLJUD=J\r\n");
        f.add();
        f.add(300, 1, 754);
        f.add();
        TF_Mainform &b = f.start(boardSize);
        highlight(b).setDuration(60000);
        int heard = 0;
        highlight(b).sound = [&heard] {
            ++heard;
        };
        showTab(b, 1);
        QCOMPARE(b.ReadyList.size(), size_t(1));
        b.ti_UpdateBongsTimer();
        b.model().reopen(2);
        QVERIFY(settle(b));
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s, u"3"_s}));
        QCOMPARE(framed(b.MainList), QList<int> {});
        QCOMPARE(heard, 0);
        // A ticket that really is new still is.
        f.add();
        cycle(b);
        QCOMPARE(framed(b.MainList), QList<int> {4});
        QCOMPARE(heard, 1);
    }
};

QTEST_MAIN(TestNewTickets)
#include "tst_newtickets.moc"
