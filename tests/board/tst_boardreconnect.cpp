#include "BoardFixture.h"
#include "board/NewTicketHighlight.h"

#include <QSqlQuery>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The tickets whose cards stand on the open tab, in number order, one entry per card.
QList<int> shownTickets(const TF_Mainform &b)
{
    QList<int> out;
    for (const TPanel *card :
         b.sb_Main->canvas()->findChildren<TPanel *>(Qt::FindDirectChildrenOnly))
        if (tagOf(card) > 0) // the hidden card templates carry no ticket
            out.append(tagOf(card));
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

// The whole board losing its database while cards are shown, driven by its own refresh timer.
// Its "second" lasts ten milliseconds.
class TestBoardReconnect : public QObject
{
    Q_OBJECT

private slots:
    void failedHealthCheckReconnectsAndRebuilds()
    {
        BoardFixture f;
        const int first = f.add();
        const int second = f.add();
        const int third = f.add();
        TF_Mainform &b = f.start();
        QCOMPARE(shownTickets(b), (QList<int> {first, second, third}));

        QStringList statuses;
        bool refreshDuringWait = false;
        b.link.secondMs = 10;
        b.link.hooks.setStatus = [&](const QString &text) {
            statuses.append(text);
            b.pa_Status->setCaption(text);
            refreshDuringWait |= b.ti_UpdateBongs.isActive() && text != u"Databas kontakt OK"_s;
            if (text == u"Ej kontakt med databasen"_s) // back during the 10-second wait
                f.odbc.setAway(f.dsn, false);
        };

        // Before the connection goes, a ticket arrives and another is finished elsewhere.
        const int fourth = f.add();
        TQuery other(f.posDb);
        other.setLines(
            {u"Update Tavlix Set Status = 1, "_s, u"Sekunder =20"_s, u"where ID=%1"_s.arg(second)});
        other.execSql();
        b.link.database().close(); // the connection is lost
        f.odbc.setAway(f.dsn, true);
        b.ti_UpdateBongs.start(10);

        QTRY_VERIFY(statuses.contains(u"Databas kontakt OK"_s));
        QVERIFY(settle(b));
        QCOMPARE(statuses,
                 (QStringList {u"Ansluter till databas"_s, u"Ej kontakt med databasen"_s,
                               u"Databas kontakt OK"_s}));
        QCOMPARE(b.pa_Status->caption(), u"Databas kontakt OK"_s);
        QVERIFY(!refreshDuringWait); // no refresh cycle inside the connect sequence
        // Every open ticket once, the finished one gone.
        QCOMPARE(shownTickets(b), (QList<int> {first, third, fourth}));
        QCOMPARE(f.ids(b.MainList),
                 (QList<QString> {QString::number(first), QString::number(third),
                                  QString::number(fourth)}));
        QVERIFY(f.reports.isEmpty());
        QVERIFY(!b.link.isEnding());
        // The refresh cycle goes on and adds nothing twice.
        const int cycles = b.link.database().statementsSent();
        QTRY_VERIFY(b.link.database().statementsSent() > cycles + 4);
        QCOMPARE(shownTickets(b), (QList<int> {first, third, fourth}));
    }

    // A reconnect whose rebuild fails (the table renamed meanwhile): no box waits for a press,
    // no cycle runs inside another, the status line tells, the cards stay; once the table is
    // back the next cycle shows it as it is, and no card is signalled as new.
    void reconnectWhoseRebuildFails()
    {
        BoardFixture f;
        for (int i = 0; i < 3; ++i)
            f.add();
        TF_Mainform &b = f.start();
        b.link.secondMs = 10;
        QSqlQuery sql(f.posDb.handle());
        QVERIFY(sql.exec(u"ALTER TABLE Tavlix RENAME TO TavlixData"_s));
        b.link.database().close(); // the health check fails
        cycle(b);
        QVERIFY(f.reports.isEmpty());
        QCOMPARE(b.pa_Status->caption(), u"Fel vid läsning av bongar"_s);
        QCOMPARE(shownTickets(b), (QList<int> {1, 2, 3}));
        QVERIFY(b.ti_UpdateBongs.isActive());
        cycle(b);
        QVERIFY(f.reports.isEmpty());
        // The failure is in the log once, however many cycles meet it.
        QCOMPARE(readBytes(f.install.filePath(u"tavlix.log"_s)).count("no such table"), 1);

        QVERIFY(sql.exec(u"ALTER TABLE TavlixData RENAME TO Tavlix"_s));
        f.add();
        cycle(b);
        QCOMPARE(b.pa_Status->caption(), u"Databas kontakt OK"_s);
        QCOMPARE(shownTickets(b), (QList<int> {1, 2, 3, 4}));
        auto *highlight = b.findChild<NewTicketHighlight *>();
        for (const int old : {1, 2, 3})
            QVERIFY(!highlight->frameOf(old));
        QVERIFY(highlight->frameOf(4));
        QVERIFY(f.reports.isEmpty());
    }

    // A connect sequence that stops with an error leaves the board without database work: the
    // refresh timer stays stopped and the cards stay as they were.
    void stoppedSequenceLeavesRefreshStopped_data()
    {
        QTest::addColumn<QString>("krumel");
        QTest::addColumn<QString>("report");
        QTest::newRow("password not scrambled") << u"[DATABAS]\r\nALIAS=%1\r\nLOSEN=12XY\r\n"_s
                                                << u"Tavlix|'$XY' is not a valid integer value."_s;
        QTest::newRow("unknown data source")
            << u"[DATABAS]\r\nALIAS=Saknas\r\n"_s << u"Tavlix|Unknown data source 'Saknas'"_s;
    }

    void stoppedSequenceLeavesRefreshStopped()
    {
        QFETCH(QString, krumel);
        QFETCH(QString, report);
        BoardFixture f;
        const int ticket = f.add();
        TF_Mainform &b = f.start();
        writeBytes(f.install.filePath(u"krumel.ini"_s), krumel.replace(u"%1"_s, f.dsn).toLatin1());
        b.link.database().close(); // the health check fails
        b.ti_UpdateBongs.start(10);

        QTRY_COMPARE(f.reports, QStringList {report});
        QVERIFY(!b.ti_UpdateBongs.isActive());
        QCOMPARE(b.pa_Status->caption(), u"Ansluter till databas"_s);
        QVERIFY(!b.link.isEnding());
        QVERIFY(!b.link.ti_SQLForsok.isActive());
        QCOMPARE(shownTickets(b), QList<int> {ticket});
    }
};

QTEST_MAIN(TestBoardReconnect)
#include "tst_boardreconnect.moc"
