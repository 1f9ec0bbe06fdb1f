#include "BoardFixture.h"
#include "PgFixture.h"
#include "TcpProxy.h"
#include "board/PageColumn.h"
#include "controls/XiButton.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// PostgreSQL answers a request for encryption with one byte, "N" when it has none: a whole
// exchange with the server without logging in.
QByteArray askForEncryption(QTcpSocket &socket)
{
    socket.write(QByteArray::fromHex("0000000804d2162f"));
    socket.flush();
    if (!QTest::qWaitFor([&socket] { return socket.bytesAvailable() > 0; }, 5000))
        return {};
    return socket.readAll();
}

const QSize boardSize(1200, 800);

void press(const TBoxInfo &record)
{
    QTest::mouseClick(record.FootPanel->findChild<TXiButton *>(), Qt::LeftButton, {},
                      QPoint(17, 15));
}

QVariantList row(TDatabase &db, int id)
{
    QSqlQuery q(db.handle());
    q.exec(u"SELECT Status, Sekunder FROM Tavlix WHERE ID = %1"_s.arg(id));
    q.next();
    return {q.value(0).toInt(), q.value(1).toInt()};
}

QString columnType(TDatabase &db, const QString &column)
{
    QSqlQuery q(db.handle());
    q.exec(u"SELECT data_type FROM information_schema.columns "
           "WHERE table_name = 'tavlix' AND column_name = '%1'"_s.arg(column));
    return q.next() ? q.value(0).toString() : QString();
}

enum class Fault { Cut, FastStop, Kill };

} // namespace

// The board against a PostgreSQL server that the tests stop, kill and cut off.
class TestPgBoard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (const QString why = PgFixture::missing(); !why.isEmpty())
            QSKIP(qPrintable(why));
        m_pg = std::make_unique<PgFixture>();
        QVERIFY2(m_pg->setUp(), qPrintable(m_pg->error()));
    }

    void init() { m_pg->resetTables(); }

    void proxyPassesHoldsAndResets()
    {
        TcpProxy proxy(m_pg->port());
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, proxy.port());
        QVERIFY(socket.waitForConnected(5000));
        QCOMPARE(askForEncryption(socket), QByteArray("N"));

        QTcpSocket held;
        held.connectToHost(QHostAddress::LocalHost, proxy.port());
        QVERIFY(held.waitForConnected(5000));
        QTRY_COMPARE(proxy.connections(), 2);
        proxy.hold(true);
        held.write(QByteArray::fromHex("0000000804d2162f"));
        QTest::qWait(300); // nothing may come through in this time
        QCOMPARE(held.bytesAvailable(), 0);
        QCOMPARE(held.state(), QAbstractSocket::ConnectedState);
        proxy.hold(false);
        QByteArray answer;
        QTRY_COMPARE(answer += held.readAll(), QByteArray("N"));

        proxy.reset();
        QTRY_COMPARE(socket.state(), QAbstractSocket::UnconnectedState);
        QTRY_COMPARE(held.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(proxy.connections(), 0);

        // A server that is away: the connection is closed at once.
        m_pg->stopFast();
        QTcpSocket refused;
        refused.connectToHost(QHostAddress::LocalHost, proxy.port());
        QTRY_COMPARE(refused.state(), QAbstractSocket::UnconnectedState);
        QVERIFY(m_pg->start());
    }

    // Connect, first build, refresh, "OK" and "X" on the board window, through the proxy.
    void boardWorksOnPostgres()
    {
        TcpProxy proxy(m_pg->port());
        const auto f = board(proxy);
        f->add();
        f->add();
        f->add(300, 1, 754);
        TF_Mainform &b = f->start(boardSize);
        QCOMPARE(b.pa_Status->caption(), u"Databas kontakt OK"_s);
        QCOMPARE(f->ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s}));
        QCOMPARE(columnType(f->posDb, u"bongchanged"_s), u"bytea"_s);

        f->add();
        f->add();
        cycle(b);
        cycle(b);
        QCOMPARE(f->ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s, u"4"_s, u"5"_s}));
        QCOMPARE(b.lastId(), 5);

        setAge(b, 1, 321);
        press(*b.MainList[1]);
        QTRY_COMPARE(b.MainList.size(), size_t(3));
        QCOMPARE(row(f->posDb, 2), (QVariantList {1, 321}));

        showTab(b, 1);
        QCOMPARE(f->ids(b.ReadyList), (QList<QString> {u"2"_s, u"3"_s}));
        press(*b.ReadyList[1]);
        QTRY_COMPARE(b.ReadyList.size(), size_t(1));
        QCOMPARE(row(f->posDb, 3), (QVariantList {0, 754}));
        QCOMPARE(f->ids(b.MainList), (QList<QString> {u"1"_s, u"3"_s, u"4"_s, u"5"_s}));
        QCOMPARE(b.MainList[1]->Seconds, 754);
        QCOMPARE(f->reports, QStringList());
    }

    // The connection is lost at the health check; the board reconnects within its retry
    // window (shortened here) and shows every open ticket once.
    void recoversWithinTheRetryWindow_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QStringList>("statuses");
        const QString connecting = u"Ansluter till databas"_s;
        const QString ok = u"Databas kontakt OK"_s;
        const QString noContact = u"Ej kontakt med databasen"_s;
        QTest::newRow("connections cut") << Fault::Cut << QStringList {connecting, ok};
        QTest::newRow("fast stop") << Fault::FastStop << QStringList {connecting, noContact, ok};
        QTest::newRow("postmaster killed")
            << Fault::Kill << QStringList {connecting, noContact, ok};
    }

    void recoversWithinTheRetryWindow()
    {
        QFETCH(Fault, fault);
        QFETCH(QStringList, statuses);
        TcpProxy proxy(m_pg->port());
        const auto f = board(proxy);
        f->add();
        f->add();
        TF_Mainform &b = f->start(boardSize);
        b.link.secondMs = 50;
        QStringList seen;
        bool started = true;
        b.link.hooks.setStatus = [&](const QString &text) {
            seen.append(text);
            b.pa_Status->setCaption(text);
            // Back while the board waits between its attempts.
            if (fault != Fault::Cut && text == u"Ej kontakt med databasen"_s)
                QTimer::singleShot(0, &b, [this, &started] { started = m_pg->start(); });
        };
        f->add();
        if (fault == Fault::Cut) {
            proxy.reset();
        } else {
            fault == Fault::FastStop ? m_pg->stopFast() : m_pg->killPostmaster();
            QTRY_COMPARE(proxy.connections(), 0);
        }
        cycle(b);
        QVERIFY2(started, qPrintable(m_pg->error()));
        QCOMPARE(seen, statuses);
        QCOMPARE(f->ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s, u"3"_s}));
        QVERIFY(b.ti_UpdateBongs.isActive());
        QCOMPARE(f->reports, QStringList());

        cycle(b);
        QCOMPARE(f->ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s, u"3"_s}));
        press(*b.MainList[0]);
        QTRY_COMPARE(b.MainList.size(), size_t(2));
        f->posDb.open();
        QCOMPARE(row(f->posDb, 1).first(), 1);
    }

    // Two tills insert at once; the ticket with the lower number may commit after the higher
    // one has been read. Either way each shows once.
    void lateCommit_data()
    {
        QTest::addColumn<bool>("lowerFirst");
        QTest::newRow("lower number commits first") << true;
        QTest::newRow("lower number commits after the higher was read") << false;
    }

    void lateCommit()
    {
        QFETCH(bool, lowerFirst);
        TcpProxy proxy(m_pg->port());
        const auto f = board(proxy);
        f->add();
        TF_Mainform &b = f->start(boardSize);
        TDatabase tillA;
        TDatabase tillB;
        m_pg->connect(tillA);
        m_pg->connect(tillB);
        QVERIFY(tillA.handle().transaction());
        QVERIFY(tillB.handle().transaction());
        const QDateTime now = QDateTime::currentDateTime();
        PosDatabase(tillA).insertTicket(f->kitchen, 0, std::nullopt, now,
                                        BoardFixture::picture(300), 2);
        PosDatabase(tillB).insertTicket(f->kitchen, 0, std::nullopt, now,
                                        BoardFixture::picture(300), 3);
        cycle(b);
        QCOMPARE(f->ids(b.MainList), QList<QString> {u"1"_s});

        QVERIFY((lowerFirst ? tillA : tillB).handle().commit());
        cycle(b);
        QCOMPARE(f->ids(b.MainList), (QList<QString> {u"1"_s, lowerFirst ? u"2"_s : u"3"_s}));
        QVERIFY((lowerFirst ? tillB : tillA).handle().commit());
        cycle(b);
        const QList<QString> all = lowerFirst ? QList<QString> {u"1"_s, u"2"_s, u"3"_s}
                                              : QList<QString> {u"1"_s, u"3"_s, u"2"_s};
        QCOMPARE(f->ids(b.MainList), all);
        QCOMPARE(b.lastId(), 3);

        const int before = b.link.database().statementsSent();
        cycle(b);
        QCOMPARE(b.link.database().statementsSent(), before + 3);
        QCOMPARE(f->ids(b.MainList), all);
        QCOMPARE(f->reports, QStringList());
    }

    // User names and passwords that would end or open a value of the ODBC connection string,
    // against a server that checks them: the right password logs in, a wrong one is refused.
    // (This driver cannot take a user name with ';' or a leading '{' at all.)
    void loginWithConnectionStringCharacters_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("semicolon") << u"kock"_s << u"a;b"_s;
        QTest::newRow("opening brace") << u"k{ock"_s << u"{pw"_s;
        QTest::newRow("closing brace") << u"kock}"_s << u"p}w"_s;
        QTest::newRow("doubled closing braces") << u"k}}ock"_s << u"pw}}"_s;
        QTest::newRow("braced whole") << u"kock"_s << u"{pw}"_s;
        QTest::newRow("equals sign") << u"kock=1"_s << u"a=b"_s;
        QTest::newRow("spaces") << u" kock 1 "_s << u" p w "_s;
        QTest::newRow("all of them") << u"k }}=} o{"_s << u"} ;{=}}; PWD=x"_s;
    }

    void loginWithConnectionStringCharacters()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        {
            TDatabase owner;
            m_pg->connect(owner);
            QSqlQuery q(owner.handle());
            const QString role = u'"' + QString(user).replace(u'"', u"\"\""_s) + u'"';
            const QString literal = u'\'' + QString(password).replace(u'\'', u"''"_s) + u'\'';
            q.exec(u"DROP ROLE IF EXISTS "_s + role);
            QVERIFY2(q.exec(u"CREATE ROLE %1 LOGIN PASSWORD %2"_s.arg(role, literal)),
                     qPrintable(q.lastError().text()));
        }

        TDatabase db;
        db.setAliasName(m_pg->dataSource());
        db.setParams(user, password);
        try {
            db.open();
        } catch (const TavlixError &e) {
            QFAIL(qPrintable(u"the right password was refused: "_s + e.message()));
        }
        QSqlQuery q(db.handle());
        QVERIFY(q.exec(u"SELECT current_user"_s));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), user);
        db.close();

        for (const QString &wrong :
             {password + u'x', password.left(password.size() - 1), u"x"_s + password}) {
            TDatabase other;
            other.setAliasName(m_pg->dataSource());
            other.setParams(user, wrong);
            QVERIFY_THROWS_EXCEPTION(TavlixError, other.open());
            QVERIFY(!other.isOpen());
        }
    }

    // A login with only the rights the board needs, on a table without BongChanged: the upgrade
    // fails, the log says why, and the board loads its tickets and finishes them.
    void leastPrivilegeLogin()
    {
        {
            TDatabase owner;
            m_pg->connect(owner);
            QSqlQuery q(owner.handle());
            for (const QString &sql :
                 {u"DROP ROLE IF EXISTS kds"_s, u"CREATE ROLE kds LOGIN PASSWORD 'kok'"_s,
                  u"GRANT SELECT ON Tavlix, FavUt, Foretag TO kds"_s,
                  u"GRANT UPDATE (Status, Sekunder) ON Tavlix TO kds"_s,
                  u"ALTER TABLE Tavlix DROP COLUMN IF EXISTS BongChanged"_s})
                QVERIFY2(q.exec(sql), qPrintable(q.lastError().text()));
        }
        BoardFixture f(m_pg->dataSource(), QString::fromLatin1(PgFixture::user),
                       QString::fromLatin1(PgFixture::password), {}, u"kds"_s, u"kok"_s);
        f.add();
        f.add();
        TF_Mainform &b = f.start(boardSize);
        QCOMPARE(b.link.database().userName(), u"kds"_s);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s}));
        QVERIFY(f.reports.isEmpty());
        const QByteArray log = readBytes(f.install.filePath(u"tavlix.log"_s));
        QCOMPARE(log.count("\r\n"), 1);
        QVERIFY2(log.contains("Kolumnen BongChanged kunde inte l\xe4ggas till i Tavlix: ")
                     && log.contains("must be owner"),
                 log.constData());
        press(*b.MainList[0]);
        QVERIFY(settle(b));
        QCOMPARE(f.ids(b.MainList), QList<QString> {u"2"_s});
        QVERIFY(f.reports.isEmpty());
    }

    // A server that takes encrypted connections only, with a certificate made here: the board on
    // a data source that asks for SSL loads and finishes its tickets; one that does not is refused.
    void encryptedConnection()
    {
        PgFixture ssl;
        QVERIFY2(ssl.setUp(true), qPrintable(ssl.error()));
        {
            TDatabase plain;
            plain.setAliasName(ssl.addPlainDataSource(u"PgPlain"_s));
            plain.setParams(QString::fromLatin1(PgFixture::user),
                            QString::fromLatin1(PgFixture::password));
            QVERIFY_THROWS_EXCEPTION(TavlixError, plain.open());
        }
        BoardFixture f(ssl.dataSource(), QString::fromLatin1(PgFixture::user),
                       QString::fromLatin1(PgFixture::password));
        f.add();
        f.add();
        TF_Mainform &b = f.start(boardSize);
        QCOMPARE(f.ids(b.MainList), (QList<QString> {u"1"_s, u"2"_s}));
        QSqlQuery q(f.posDb.handle());
        QVERIFY(q.exec(u"SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()"_s) && q.next());
        QVERIFY(q.value(0).toBool());
        press(*b.MainList[0]);
        QVERIFY(settle(b));
        QCOMPARE(f.ids(b.MainList), QList<QString> {u"2"_s});
        QVERIFY(f.reports.isEmpty());
    }

private:
    // A board on the server through the proxy.
    std::unique_ptr<BoardFixture> board(const TcpProxy &proxy)
    {
        return std::make_unique<BoardFixture>(m_pg->addDataSource(u"PgBoard"_s, proxy.port()),
                                              QString::fromLatin1(PgFixture::user),
                                              QString::fromLatin1(PgFixture::password));
    }

    std::unique_ptr<PgFixture> m_pg;
};

QTEST_MAIN(TestPgBoard)
#include "tst_pgboard.moc"
