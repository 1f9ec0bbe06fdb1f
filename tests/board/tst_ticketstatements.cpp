#include "OdbcFixture.h"
#include "PgFixture.h"
#include "PosDatabase.h"
#include "board/TicketStatements.h"
#include "db/Database.h"
#include "db/Query.h"

#include <QTest>

#include <memory>
#include <numeric>

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
        QTest::newRow("highest number")
            << S::highestNumber() << QStringList {u"Select Max(ID) Antal from Tavlix"_s};
        QTest::newRow("numbers of the latest done")
            << S::selectDoneNumbersAbove(u"Alla"_s, 19000)
            << QStringList {u"Select ID from Tavlix where Status = 1"_s, u"And ID > 19000"_s,
                            u"Order by ID"_s};
        QTest::newRow("select latest done")
            << S::selectDoneAbove(u"Grill"_s, 0)
            << QStringList {u"Select * from Tavlix where Status = 1"_s, grill, u"And ID > 0"_s,
                            u"Order by ID"_s};
        QTest::newRow("changed, nothing shown")
            << S::selectChanged(u"Grill"_s, 1203, {}, {})
            << QStringList {u"Select ID, Status from Tavlix where ID > 203"_s, grill,
                            u"And ID <= 1203"_s, u"And Status = 0"_s};
        QTest::newRow("changed, shown and known")
            << S::selectChanged(u"Alla"_s, 9, {2, 5, 7}, {2, 5})
            << QStringList {u"Select ID, Status from Tavlix where (ID > 0 Or ID in (2, 5))"_s,
                            u"And ID <= 9"_s,
                            u"And ((Status = 0 And ID not in (2, 5, 7)) Or (Status <> 0 And ID "
                            "in (2, 5)))"_s};
        QList<int> many(S::maxKnown + 1);
        std::iota(many.begin(), many.end(), 1);
        QTest::newRow("changed, too many known")
            << S::selectChanged(u"Alla"_s, 2000, many, many)
            << QStringList {u"Select ID, Status from Tavlix where ID > 1000"_s, u"And ID <= 2000"_s,
                            u"And Status = 0"_s};
        QTest::newRow("open among") << S::selectOpenAmong(u"Alla"_s, {3, 17})
                                    << QStringList {u"Select * from Tavlix where Status = 0"_s,
                                                    u"And ID in (3, 17)"_s, u"Order by ID"_s};
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
            << S::selectDoneNumbersAbove(u"Olle's grill"_s, 0)
            << QStringList {
                   u"Select ID from Tavlix where Status = 1"_s,
                   u"And LopNrFavUt in (Select LopNr from FavUt where Namn='Olle''s grill')"_s,
                   u"And ID > 0"_s, u"Order by ID"_s};
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

    // Every statement against a real database of each engine the board supports here: the
    // device filter, quotes, NULL Sekunder, the column upgrade, the updates.
    void againstDatabase_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::newRow("SQLite") << false;
        QTest::newRow("PostgreSQL") << true;
    }

    void againstDatabase()
    {
        QFETCH(bool, postgres);
        TDatabase db;
        if (postgres) {
            if (const QString why = PgFixture::missing(); !why.isEmpty())
                QSKIP(qPrintable(why));
            m_pg = std::make_unique<PgFixture>();
            QVERIFY2(m_pg->setUp(), qPrintable(m_pg->error()));
            m_pg->connect(db);
            QVERIFY(db.isPostgreSql());
        } else {
            OdbcFixture &odbc = OdbcFixture::instance();
            db.setAliasName(odbc.addDataSource(odbc.uniqueName(u"Kassa"_s), false));
            db.open();
            QVERIFY(db.isSqlite());
        }
        PosDatabase pos(db);
        pos.createSchema();
        const QDateTime t(QDate(2026, 12, 10), QTime(12, 0));
        const int grill = pos.deviceNumber(u"Grill"_s);
        const int olle = pos.deviceNumber(u"Olle's"_s);
        const int kok = pos.deviceNumber(u"Kök"_s);
        pos.insertTicket(grill, 0, std::nullopt, t, "a");
        pos.insertTicket(olle, 0, 30, t, "b");
        pos.insertTicket(99, 0, std::nullopt, t, "c"); // a device FavUt does not know
        pos.insertTicket(grill, 1, 754, t, "d");
        pos.insertTicket(kok, 0, std::nullopt, t, QByteArray("\0\x01\xff\x80", 4));

        TQuery q(db);
        const auto open = [&q](const QStringList &lines) {
            q.close();
            q.clearSql();
            q.setLines(lines);
            q.open();
        };
        const auto count = [&](const QStringList &lines) {
            open(lines);
            return q.fieldAsInteger(u"Antal"_s);
        };
        open(S::healthCheck());
        QVERIFY(!q.eof());
        QCOMPARE(count(S::countOpen(u"Alla"_s)), 4);
        QCOMPARE(count(S::countOpen(u"Grill"_s)), 1);
        QCOMPARE(count(S::countOpen(u"Olle's"_s)), 1);
        QCOMPARE(count(S::countOpen(u"Kök"_s)), 1);
        QCOMPARE(count(S::countOpen(u"x') or ('1'='1"_s)), 0);
        QCOMPARE(count(S::countNewOpen(u"Alla"_s, 1)), 3);
        QCOMPARE(count(S::countNewOpen(u"Grill"_s, 1)), 0);
        QCOMPARE(count(S::highestNumber()), 5);

        const auto rows = [&](const QStringList &lines, bool withNumber) {
            open(lines);
            QList<TicketRow> out;
            for (; !q.eof(); q.next())
                out.append(readTicketRow(q, withNumber));
            return out;
        };
        const QList<TicketRow> all = rows(S::selectOpen(u"Alla"_s), true);
        QCOMPARE(all.size(), 4);
        QCOMPARE(all[0].id, u"1");
        QCOMPARE(all[0].number, 1);
        QCOMPARE(all[0].sekunder, 0);
        QCOMPARE(all[1].sekunder, 30);
        QCOMPARE(all[2].number, 3);
        QCOMPARE(all[0].skapad, t);
        QCOMPARE(all[0].bong, QByteArray("a"));
        QCOMPARE(all[3].bong, QByteArray("\0\x01\xff\x80", 4));
        const QList<TicketRow> newer = rows(S::selectNewOpen(u"Kök"_s, 2), true);
        QCOMPARE(newer.size(), 1);
        QCOMPARE(newer[0].number, 5);
        const auto changed = [&](const QList<int> &known, const QList<int> &shown) {
            open(S::selectChanged(u"Alla"_s, 5, known, shown));
            QList<QPair<int, int>> out;
            for (; !q.eof(); q.next())
                out.append({q.fieldAsInteger(u"ID"_s), q.fieldAsInteger(u"Status"_s)});
            std::sort(out.begin(), out.end());
            return out;
        };
        open(S::selectChanged(u"Alla"_s, 3, {}, {}));
        QVERIFY_THROWS_EXCEPTION(TavlixError, q.fieldAsBytes(u"Bong"_s)); // no picture read
        QCOMPARE(changed({}, {}), (QList<QPair<int, int>> {{1, 0}, {2, 0}, {3, 0}, {5, 0}}));
        // Nothing changed: no row. Ticket 2 not known, ticket 4 shown although done: both.
        QCOMPARE(changed({1, 2, 3, 5}, {1, 2, 3, 5}), (QList<QPair<int, int>> {}));
        QCOMPARE(changed({1, 3, 5}, {1, 3, 4, 5}), (QList<QPair<int, int>> {{2, 0}, {4, 1}}));
        const QList<TicketRow> among = rows(S::selectOpenAmong(u"Kök"_s, {5, 1, 4}), true);
        QCOMPARE(among.size(), 1);
        QCOMPARE(among[0].bong, QByteArray("\0\x01\xff\x80", 4));
        open(S::selectDoneNumbersAbove(u"Grill"_s, 0));
        QCOMPARE(q.fieldAsInteger(u"ID"_s), 4);
        QVERIFY_THROWS_EXCEPTION(TavlixError, q.fieldAsBytes(u"Bong"_s)); // no picture read
        open(S::selectDoneNumbersAbove(u"Grill"_s, 4));
        QVERIFY(q.eof());
        QCOMPARE(rows(S::selectDoneAbove(u"Grill"_s, 4), false).size(), 0);
        const QList<TicketRow> done = rows(S::selectDoneAbove(u"Grill"_s, 3), false);
        QCOMPARE(done.size(), 1);
        QCOMPARE(done[0].id, u"4");
        QCOMPARE(done[0].sekunder, 754);
        QCOMPARE(done[0].status, 1);

        open(S::deviceNames());
        QStringList names;
        for (; !q.eof(); q.next())
            names.append(q.fieldAsString(u"Namn"_s));
        QCOMPARE(names.size(), 3);
        QVERIFY(names.contains(u"Kök"_s));

        TQuery update(db);
        update.setLines(S::markDone(754, all[1].id));
        update.execSql();
        QCOMPARE(pos.count(u"ID = 2 AND Status = 1 AND Sekunder = 754"_s), 1);
        update.clearSql();
        update.setLines(S::reopen(12, all[1].id));
        update.execSql();
        QCOMPARE(pos.count(u"ID = 2 AND Status = 0 AND Sekunder = 12"_s), 1);

        // The column upgrade: the probe fails until the column is there, under the engine's name
        // for a binary column.
        QVERIFY_THROWS_EXCEPTION(TavlixError, open(S::probeBongChanged()));
        q.close();
        q.clearSql();
        q.setLines(S::addBongChanged());
        q.execSql();
        open(S::probeBongChanged());
        QVERIFY(q.eof());
        if (postgres) {
            open({u"Select data_type from information_schema.columns"_s,
                  u"where table_name = 'tavlix' and column_name = 'bongchanged'"_s});
            QCOMPARE(q.fieldAsString(u"data_type"_s), u"bytea"_s);
        }
        open(S::selectOpen(u"Alla"_s)); // the wider row still reads
        QCOMPARE(readTicketRow(q, true).bong, QByteArray("a"));
    }

private:
    std::unique_ptr<PgFixture> m_pg;
};

QTEST_GUILESS_MAIN(TestTicketStatements)
#include "tst_ticketstatements.moc"
