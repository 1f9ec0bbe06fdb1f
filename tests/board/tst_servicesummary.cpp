// The service summary in the top bar: the open tickets and the longest wait, read from the cards'
// clocks without a statement to the database.
#include "BoardFixture.h"
#include "board/ServiceSummary.h"
#include "controls/XiButton.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestServiceSummary : public QObject
{
    Q_OBJECT

private slots:
    void countAndLongestWait()
    {
        BoardFixture f;
        f.add(300, 0, std::nullopt, 20);
        f.add(300, 0, std::nullopt, 1300);
        f.add(300, 0, std::nullopt, 700);
        f.add(300, 1, 5000); // done: not counted
        TF_Mainform &b = f.start(QSize(1200, 800));
        auto *summary = b.findChild<ServiceSummary *>();
        QVERIFY(summary);
        QCOMPARE(summary->parentWidget(), b.pa_Top);
        QVERIFY(summary->isVisible());
        // The empty left part of the bar, up to the status line.
        QCOMPARE(summary->geometry().top(), 0);
        QCOMPARE(summary->geometry().right() + 1, b.pa_Hoger->x());
        QCOMPARE(summary->font(), b.font());
        QTRY_COMPARE(summary->countText(), u"Pågående: 3"_s);
        QCOMPARE(summary->oldestText(), u"00:21"_s);
        QCOMPARE(summary->oldestColor(), b.pa_FotMallRod->color());
        QCOMPARE(summary->text(), u"Pågående: 3   Äldsta bong: 00:21"_s);

        // It follows the clocks, and costs the database nothing.
        const int sent = b.link.database().statementsSent();
        TBoxInfo &oldest = *b.MainList[1];
        setAge(b, 1, 1319);
        b.model().tick();
        QTRY_COMPARE(summary->oldestText(), u"00:22"_s);
        QTest::mouseClick(oldest.FootPanel->findChild<TXiButton *>(), Qt::LeftButton, {},
                          QPoint(17, 15));
        QTRY_COMPARE(summary->countText(), u"Pågående: 2"_s);
        QCOMPARE(b.link.database().statementsSent(), sent + 1); // the OK button's update only
        QTRY_COMPARE(summary->oldestText(), u"00:11"_s);
        QCOMPARE(summary->oldestColor(), b.pa_FotMallGul->color());

        b.resize(900, 700);
        QCOMPARE(summary->geometry().right() + 1, b.pa_Hoger->x());
        QVERIFY(!summary->geometry().intersects(b.pa_Hoger->geometry()));
    }

    void emptyBoard()
    {
        BoardFixture f;
        TF_Mainform &b = f.start(QSize(1200, 800));
        auto *summary = b.findChild<ServiceSummary *>();
        QCOMPARE(summary->text(), u"Pågående: 0"_s);
        QVERIFY(summary->oldestText().isEmpty());
    }
};

QTEST_MAIN(TestServiceSummary)
#include "tst_servicesummary.moc"
