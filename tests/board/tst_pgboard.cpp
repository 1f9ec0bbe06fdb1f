#include "PgFixture.h"
#include "TcpProxy.h"

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

private:
    std::unique_ptr<PgFixture> m_pg;
};

QTEST_MAIN(TestPgBoard)
#include "tst_pgboard.moc"
