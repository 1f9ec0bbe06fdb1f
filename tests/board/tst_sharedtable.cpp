// Several boards on one ticket table, and the tab "Klara" after a long history: every board shows
// what the table holds within a cycle, and "Klara" reads only the latest done tickets.
#include "BoardFixture.h"
#include "board/CardArea.h"

#include <QScrollBar>
#include <QSqlQuery>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QSize boardSize(1200, 800);

// Another board in the same installation, on the same data source.
std::unique_ptr<TF_Mainform> secondBoard()
{
    auto b = std::make_unique<TF_Mainform>();
    b->link.ti_InitieraDB.stop();
    b->resize(boardSize);
    b->show();
    if (!QTest::qWaitForWindowExposed(b.get()))
        qWarning("second board not exposed");
    b->link.ConnectAtStart();
    settle(*b);
    return b;
}

void press(const TBoxInfo &record)
{
    QTest::mouseClick(record.FootPanel->findChild<TXiButton *>(), Qt::LeftButton, {},
                      QPoint(17, 15));
}

void setStatus(TDatabase &db, int id, int status)
{
    QSqlQuery q(db.handle());
    QVERIFY(q.exec(u"UPDATE Tavlix SET Status = %1 WHERE ID = %2"_s.arg(status).arg(id)));
}

// Each ticket once, in the order of its cards.
QList<QString> idsOnce(const BoardFixture &f, const CardList &list)
{
    const QList<QString> ids = f.ids(list);
    const QSet<QString> once(ids.begin(), ids.end());
    if (once.size() != ids.size())
        qWarning("a ticket is shown twice");
    return once.size() == ids.size() ? ids : QList<QString> {};
}

} // namespace

class TestSharedTable : public QObject
{
    Q_OBJECT

private slots:
    void boardsAgree()
    {
        BoardFixture f;
        for (int i = 0; i < 4; ++i)
            f.add();
        TF_Mainform &a = f.start(boardSize);
        const std::unique_ptr<TF_Mainform> other = secondBoard();
        TF_Mainform &b = *other;
        const QList<QString> all {u"1"_s, u"2"_s, u"3"_s, u"4"_s};
        QCOMPARE(f.ids(b.MainList), all);

        // Finished on A: it leaves B at its next cycle, and the gap closes there too.
        const QList<QPoint> places = f.places(b.MainList);
        press(*a.MainList[1]);
        QVERIFY(settle(a));
        QCOMPARE(f.ids(a.MainList), (QList<QString> {u"1"_s, u"3"_s, u"4"_s}));
        cycle(b);
        QCOMPARE(idsOnce(f, b.MainList), (QList<QString> {u"1"_s, u"3"_s, u"4"_s}));
        QCOMPARE(f.places(b.MainList), places.mid(0, 3));

        // Set done in the table by other means: it leaves both.
        setStatus(f.posDb, 3, 1);
        cycle(a);
        cycle(b);
        QCOMPARE(idsOnce(f, a.MainList), (QList<QString> {u"1"_s, u"4"_s}));
        QCOMPARE(idsOnce(f, b.MainList), (QList<QString> {u"1"_s, u"4"_s}));

        // Brought back on B from its "Klara": it comes back on A, once, with its stored age.
        showTab(b, 1);
        const int found = TF_Mainform::FindCard(b.ReadyList, 2);
        QVERIFY(found >= 0);
        press(*b.ReadyList[size_t(found)]);
        QVERIFY(settle(b));
        QCOMPARE(idsOnce(f, b.MainList), (QList<QString> {u"1"_s, u"2"_s, u"4"_s}));
        cycle(a);
        QCOMPARE(idsOnce(f, a.MainList), (QList<QString> {u"1"_s, u"4"_s, u"2"_s}));
        cycle(a);
        cycle(b);
        QCOMPARE(idsOnce(f, a.MainList), (QList<QString> {u"1"_s, u"4"_s, u"2"_s}));
        QCOMPARE(idsOnce(f, b.MainList), (QList<QString> {u"1"_s, u"2"_s, u"4"_s}));
        // A new ticket reaches both, once.
        f.add();
        cycle(a);
        cycle(b);
        QCOMPARE(idsOnce(f, a.MainList), (QList<QString> {u"1"_s, u"4"_s, u"2"_s, u"5"_s}));
        QCOMPARE(idsOnce(f, b.MainList), (QList<QString> {u"1"_s, u"2"_s, u"4"_s, u"5"_s}));
    }

    // A long history of done tickets: "Klara" reads the latest KLARAANTAL among the last numbers
    // only, the pictures of those alone, and opens with the newest in view.
    void klaraShowsTheLatestDone_data()
    {
        QTest::addColumn<int>("done");
        QTest::newRow("fewer than the limit") << 30;
        QTest::newRow("a long history") << 2000;
    }

    void klaraShowsTheLatestDone()
    {
        QFETCH(int, done);
        BoardFixture f("[SKARM]\r\nKLARAANTAL=50\r\n");
        {
            QSqlQuery q(f.posDb.handle());
            QVERIFY(f.posDb.handle().transaction());
            for (int i = 0; i < done; ++i)
                f.pos->insertTicket(f.kitchen, 1, 100 + i, QDateTime::currentDateTime(),
                                    BoardFixture::picture(300));
            QVERIFY(f.posDb.handle().commit());
        }
        TF_Mainform &b = f.start(boardSize);
        showTab(b, 1);
        const int shown = std::min(done, 50);
        QCOMPARE(b.ReadyList.size(), size_t(shown));
        QCOMPARE(b.ReadyList.front()->Id, QString::number(done - shown + 1));
        QCOMPARE(b.ReadyList.back()->Id, QString::number(done));
        const QStringList sent = f.statementsLogged();
        if (done > 500)
            QVERIFY(sent.contains(u"And ID > %1"_s.arg(done - 500)));
        // The numbers come first, so that only the pictures shown are read.
        const qsizetype rows = sent.lastIndexOf(u"Select * from Tavlix where Status = 1"_s);
        QVERIFY(rows >= 0);
        QCOMPARE(sent.value(rows + 1), u"And ID > %1"_s.arg(done - shown));
        // The newest card stands in the view.
        QWidget *view = b.sb_Ready->viewport();
        const QRect newest(b.ReadyList.back()->Panel->mapTo(view, QPoint(0, 0)),
                           b.ReadyList.back()->Panel->size());
        QVERIFY(view->rect().contains(newest));
        QVERIFY(b.ReadyList.back()->Panel->isVisible());
    }

    // The ticket this board finished last is the one in view, wherever it stands on the tab.
    void klaraOpensAtTheTicketFinishedHere()
    {
        BoardFixture f;
        for (int i = 0; i < 19; ++i)
            f.add(300, 1, 60);
        f.add(); // ticket 20, open
        for (int i = 0; i < 40; ++i)
            f.add(300, 1, 60);
        TF_Mainform &b = f.start(boardSize);
        QCOMPARE(f.ids(b.MainList), QList<QString> {u"20"_s});
        press(*b.MainList[0]);
        QVERIFY(settle(b));
        showTab(b, 1);
        QCOMPARE(b.ReadyList.size(), size_t(60));
        const TBoxInfo &mine = *b.ReadyList[size_t(TF_Mainform::FindCard(b.ReadyList, 20))];
        QWidget *view = b.sb_Ready->viewport();
        QVERIFY(view->rect().contains(
            QRect(mine.Panel->mapTo(view, QPoint(0, 0)), mine.Panel->size())));
        QVERIFY(mine.Panel->isVisible());
        // Neither the start nor the end of the tab.
        QVERIFY(b.sb_Ready->horzPosition() > 0);
        QVERIFY(b.sb_Ready->horzPosition() < b.sb_Ready->horizontalScrollBar()->maximum());
    }
};

QTEST_MAIN(TestSharedTable)
#include "tst_sharedtable.moc"
