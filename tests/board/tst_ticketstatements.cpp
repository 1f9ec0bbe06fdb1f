#include "OdbcFixture.h"
#include "PosDatabase.h"
#include "board/TicketStatements.h"
#include "db/Database.h"
#include "db/Query.h"

#include <QTest>

using namespace Qt::StringLiterals;
namespace S = TicketStatements;

class TestTicketStatements : public QObject
{
    Q_OBJECT

private slots:
    void texts_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("expected");
        const QString grill = u"And LopNrFavUt in (Select LopNr from FavUt where Namn='Grill')"_s;
        QTest::newRow("count open, all")
            << S::countOpen(u"Alla"_s)
            << QStringList {u"Select Count(*) Antal from Tavlix where Status=0"_s};
        QTest::newRow("count open, Grill")
            << S::countOpen(u"Grill"_s)
            << QStringList {u"Select Count(*) Antal from Tavlix where Status=0"_s, grill};
        QTest::newRow("count new open")
            << S::countNewOpen(u"Grill"_s, 1203)
            << QStringList {u"Select Count(*) Antal from Tavlix where Status=0"_s, grill,
                            u"And ID > 1203"_s};
        QTest::newRow("select open")
            << S::selectOpen(u"Alla"_s)
            << QStringList {u"Select * from Tavlix where Status = 0"_s, u"Order by ID"_s};
        QTest::newRow("select new open") << S::selectNewOpen(u"Grill"_s, 7)
                                         << QStringList {u"Select * from Tavlix where Status = 0"_s,
                                                         grill, u"And ID > 7"_s, u"Order by ID"_s};
        QTest::newRow("count done")
            << S::countDone(u"Alla"_s)
            << QStringList {u"Select Count(*) Antal from Tavlix where Status=1"_s};
        QTest::newRow("select done")
            << S::selectDone(u"Grill"_s)
            << QStringList {u"Select * from Tavlix where Status = 1"_s, grill, u"Order by ID"_s};
        QTest::newRow("mark done") << S::markDone(754, u"1203"_s)
                                   << QStringList {u"Update Tavlix Set Status = 1, "_s,
                                                   u"Sekunder =754"_s, u"where ID=1203"_s};
        QTest::newRow("reopen") << S::reopen(0, u"9"_s)
                                << QStringList {u"Update Tavlix Set Status = 0, "_s,
                                                u"Sekunder =0"_s, u"where ID=9"_s};
        QTest::newRow("device names")
            << S::deviceNames() << QStringList {u"Select Namn from FavUt order By Namn"_s};
        QTest::newRow("lower-case alla is a device")
            << S::countOpen(u"alla"_s)
            << QStringList {u"Select Count(*) Antal from Tavlix where Status=0"_s,
                            u"And LopNrFavUt in (Select LopNr from FavUt where Namn='alla')"_s};
        QTest::newRow("quote doubled")
            << S::countDone(u"Olle's grill"_s)
            << QStringList {
                   u"Select Count(*) Antal from Tavlix where Status=1"_s,
                   u"And LopNrFavUt in (Select LopNr from FavUt where Namn='Olle''s grill')"_s};
        QTest::newRow("upgrade") << S::addBongChanged()
                                 << QStringList {
                                        u"Alter table Tavlix Add BongChanged VarBinary(Max) "_s};
        QTest::newRow("probe") << S::probeBongChanged()
                               << QStringList {u"Select BongChanged from Tavlix"_s,
                                               u"Where 1 = 0"_s};
        QTest::newRow("health check")
            << S::healthCheck() << QStringList {u"Select Count(*) from Foretag"_s};
    }

    void texts()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, expected);
        QCOMPARE(lines, expected);
    }

    // The statements against a real database: the device filter, quotes, NULL Sekunder.
    void againstDatabase()
    {
        OdbcFixture &odbc = OdbcFixture::instance();
        const QString dsn = odbc.addDataSource(odbc.uniqueName(u"Kassa"_s), false);
        TDatabase db;
        db.setAliasName(dsn);
        db.open();
        PosDatabase pos(db);
        pos.createSchema();
        const QDateTime t(QDate(2026, 12, 10), QTime(12, 0));
        const int grill = pos.deviceNumber(u"Grill"_s);
        const int olle = pos.deviceNumber(u"Olle's"_s);
        pos.insertTicket(grill, 0, std::nullopt, t, "a");
        pos.insertTicket(olle, 0, 30, t, "b");
        pos.insertTicket(99, 0, std::nullopt, t, "c"); // a device FavUt does not know
        pos.insertTicket(grill, 1, 754, t, "d");

        TQuery q(db);
        const auto count = [&q](const QStringList &lines) {
            q.close();
            q.setLines(lines);
            q.open();
            return q.fieldAsInteger(u"Antal"_s);
        };
        QCOMPARE(count(S::countOpen(u"Alla"_s)), 3);
        QCOMPARE(count(S::countOpen(u"Grill"_s)), 1);
        QCOMPARE(count(S::countOpen(u"Olle's"_s)), 1);
        QCOMPARE(count(S::countOpen(u"x') or ('1'='1"_s)), 0);
        QCOMPARE(count(S::countNewOpen(u"Alla"_s, 1)), 2);
        QCOMPARE(count(S::countDone(u"Grill"_s)), 1);

        q.close();
        q.setLines(S::selectOpen(u"Alla"_s));
        q.open();
        QList<TicketRow> rows;
        for (; !q.eof(); q.next())
            rows.append(readTicketRow(q, true));
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].id, u"1");
        QCOMPARE(rows[0].number, 1);
        QCOMPARE(rows[0].sekunder, 0);
        QCOMPARE(rows[1].sekunder, 30);
        QCOMPARE(rows[2].number, 3);
        QCOMPARE(rows[0].skapad, t);
        QCOMPARE(rows[0].bong, QByteArray("a"));

        TQuery update(db);
        update.setLines(S::markDone(754, rows[1].id));
        update.execSql();
        QCOMPARE(pos.count(u"ID = 2 AND Status = 1 AND Sekunder = 754"_s), 1);
    }
};

QTEST_GUILESS_MAIN(TestTicketStatements)
#include "tst_ticketstatements.moc"
