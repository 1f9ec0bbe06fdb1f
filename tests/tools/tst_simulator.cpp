#include "BmpWriter.h"
#include "FileHelpers.h"
#include "OdbcFixture.h"
#include "PosDatabase.h"
#include "TicketRenderer.h"
#include "db/Database.h"
#include "db/Query.h"
#include "pos/Scramble.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSimulator : public QObject
{
    Q_OBJECT

private slots:
    void bitmapDepths_data()
    {
        QTest::addColumn<int>("depth");
        QTest::newRow("1") << 1;
        QTest::newRow("8") << 8;
        QTest::newRow("24") << 24;
        QTest::newRow("32") << 32;
    }

    void bitmapDepths()
    {
        QFETCH(int, depth);
        QRandomGenerator random(7);
        const QImage ticket = renderTicket(randomTicket(12, u"Kök"_s, random));
        QCOMPARE(ticket.width(), 576);
        const QByteArray bytes = bmpBytes(ticket, depth);
        QCOMPARE(bytes.left(2), QByteArray("BM"));
        const QImage read = QImage::fromData(bytes, "BMP");
        QCOMPARE(read.size(), ticket.size());
        QCOMPARE(read.depth() == 1, depth == 1);
        // Black text on white survives every depth, and nothing else: a printer has no greys.
        QCOMPARE(QColor(read.pixel(0, 0)), QColor(Qt::white));
        QCOMPARE(qGray(read.pixel(300, ticket.height() - 19)), 0);
        const QImage rgb = read.convertToFormat(QImage::Format_RGB32);
        QSet<QRgb> colours;
        for (int y = 0; y < rgb.height(); ++y) {
            const auto *row = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
            colours.unite(QSet<QRgb>(row, row + rgb.width()));
        }
        QCOMPARE(colours, (QSet<QRgb> {qRgb(0, 0, 0), qRgb(255, 255, 255)}));
    }

    void heightFollowsTheLines()
    {
        KitchenTicket t;
        t.lines = QStringList {u"1 x Pytt"_s};
        const int one = renderTicket(t).height();
        t.lines.append(u"   - utan lök"_s);
        QCOMPARE(renderTicket(t).height(), one + 34);
    }

    // The program from the build, against a fresh data source.
    void feedsAFreshDataSource()
    {
        OdbcFixture &odbc = OdbcFixture::instance();
        const QString dsn = odbc.addDataSource(odbc.uniqueName(u"Sim"_s), false);
        QProcess sim;
        sim.start(QStringLiteral(TAVLIX_SIMULATOR),
                  {u"--dsn"_s, dsn, u"--open"_s, u"5"_s, u"--done"_s, u"3"_s, u"--depth"_s,
                   u"mixed"_s, u"--max-age"_s, u"1200"_s, u"--empty"_s, u"1"_s, u"--seed"_s,
                   u"4"_s});
        QVERIFY(sim.waitForFinished(30000));
        QCOMPARE(sim.exitCode(), 0);

        TDatabase db;
        db.setAliasName(dsn);
        db.open();
        PosDatabase pos(db);
        QCOMPARE(pos.count(u"Status = 0"_s), 5);
        QCOMPARE(pos.count(u"Status = 1 AND Sekunder > 0"_s), 3);
        TQuery q(db);
        q.setLines({u"Select * from Tavlix"_s, u"Order by ID"_s});
        int valid = 0;
        for (q.open(); !q.eof(); q.next()) {
            const QImage image = QImage::fromData(q.fieldAsBytes(u"Bong"_s), "BMP");
            valid += !image.isNull() && image.width() == 576;
        }
        QCOMPARE(valid, 7); // the first ticket has an empty picture
        q.close();
        q.setLines({u"Select Namn from FavUt order By Namn"_s});
        QStringList names;
        for (q.open(); !q.eof(); q.next())
            names.append(q.fieldAsString(u"Namn"_s));
        QCOMPARE(names, (QStringList {u"Bar"_s, u"Grill"_s, u"Kök"_s}));
    }

    void scramblesAPassword()
    {
        QProcess sim;
        sim.start(QStringLiteral(TAVLIX_SIMULATOR), {u"--scramble"_s});
        sim.write("hemligt\n");
        sim.closeWriteChannel();
        QVERIFY(sim.waitForFinished(30000));
        const QString form = QString::fromLatin1(sim.readAllStandardOutput()).trimmed();
        QCOMPARE(form.size(), 16);
        QCOMPARE(Scramble(u"D"_s, form, u"VarkoAB"_s), u"hemligt"_s);
    }

    // No tool takes a password as an argument: the process list would show it to every user.
    void noToolTakesAPasswordArgument_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::newRow("tavlix-simulator") << QStringLiteral(TAVLIX_SIMULATOR);
        QTest::newRow("tavlix-setup-db") << QStringLiteral(TAVLIX_SETUP_DB);
        QTest::newRow("tavlix-scramble") << QStringLiteral(TAVLIX_SCRAMBLE);
    }

    void noToolTakesAPasswordArgument()
    {
        QFETCH(QString, tool);
        QProcess p;
        p.start(tool, {u"--help"_s});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        const QString help = QString::fromLocal8Bit(p.readAllStandardOutput());
        QVERIFY2(!QRegularExpression(u"--password[ =<]"_s).match(help).hasMatch()
                     && !QRegularExpression(u"--scramble <"_s).match(help).hasMatch()
                     && !help.contains(u"[PASSWORD]"_s),
                 qPrintable(help));
        // And one given anyway is refused.
        QProcess given;
        given.start(tool, {u"--password"_s, u"hemligt"_s});
        QVERIFY(given.waitForFinished(30000));
        QVERIFY(given.exitCode() != 0);
    }
};

QTEST_MAIN(TestSimulator)
#include "tst_simulator.moc"
