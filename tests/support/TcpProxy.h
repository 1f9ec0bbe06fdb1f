#pragma once

#include <QList>
#include <QPair>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <functional>
#include <sys/socket.h>

// Passes TCP traffic between a local port and a server on this machine. It runs on a thread of
// its own, so it goes on passing while the test's thread waits in a database call. reset() cuts
// every connection at once; hold(true) keeps the connections open while passing nothing, as a
// network does when a cable is pulled, until hold(false) lets the traffic through again.
// armFault() runs a fault on the proxy's thread at a chosen point of the traffic to the server.
class TcpProxy
{
public:
    explicit TcpProxy(quint16 serverPort)
        : m_serverPort(serverPort)
    {
        m_context.moveToThread(&m_thread);
        m_thread.start();
        onThread([this] {
            m_listener = new QTcpServer(&m_context);
            m_listener->listen(QHostAddress::LocalHost);
            QObject::connect(m_listener, &QTcpServer::newConnection, &m_context,
                             [this] { accept(); });
        });
        m_port = m_listener->serverPort();
    }

    ~TcpProxy()
    {
        onThread([this] {
            for (const auto &[client, server] : std::as_const(m_pairs)) {
                cut(client);
                cut(server);
            }
            m_pairs.clear();
            qDeleteAll(m_context.children());
        });
        m_thread.quit();
        m_thread.wait();
    }

    quint16 port() const { return m_port; }

    // Cuts every connection at once, with a reset on both sides.
    void reset()
    {
        onThread([this] {
            for (const auto &[client, server] : std::as_const(m_pairs)) {
                cut(client);
                cut(server);
            }
            m_pairs.clear();
        });
    }

    void hold(bool held)
    {
        onThread([this, held] {
            m_held = held;
            if (held)
                return;
            const auto pairs = m_pairs;
            for (const auto &[client, server] : pairs) {
                pass(client, server, true);
                pass(server, client);
                if (client->state() == QAbstractSocket::UnconnectedState)
                    closed(client, server);
                else if (server->state() == QAbstractSocket::UnconnectedState)
                    closed(server, client);
            }
        });
    }

    // Runs fault on the proxy's thread when the client's next chunks of traffic to the server
    // have passed: before chunk number skip (counted from 0), or right after it with passFirst.
    // The fault may call reset() and hold().
    void armFault(int skip, bool passFirst, std::function<void(TcpProxy &)> fault)
    {
        onThread([&] {
            m_skip = skip;
            m_passFirst = passFirst;
            m_fault = std::move(fault);
        });
    }

    // Whether an armed fault is still waiting for its point; disarms it.
    bool disarm()
    {
        bool armed = false;
        onThread([this, &armed] {
            armed = bool(m_fault);
            m_fault = {};
        });
        return armed;
    }

    int connections()
    {
        int n = 0;
        onThread([this, &n] { n = int(m_pairs.size()); });
        return n;
    }

private:
    template<typename F> void onThread(F f)
    {
        if (QThread::currentThread() == &m_thread)
            f();
        else
            QMetaObject::invokeMethod(&m_context, f, Qt::BlockingQueuedConnection);
    }

    void accept()
    {
        while (QTcpSocket *client = m_listener->nextPendingConnection()) {
            auto *server = new QTcpSocket(&m_context);
            client->setParent(&m_context);
            m_pairs.append(qMakePair(client, server));
            for (const QPair<QTcpSocket *, QTcpSocket *> &way :
                 {qMakePair(client, server), qMakePair(server, client)}) {
                QTcpSocket *from = way.first;
                QTcpSocket *to = way.second;
                const bool toServer = to == server;
                QObject::connect(from, &QTcpSocket::readyRead, &m_context,
                                 [this, from, to, toServer] { pass(from, to, toServer); });
                QObject::connect(from, &QTcpSocket::disconnected, &m_context,
                                 [this, from, to] { closed(from, to); });
                QObject::connect(from, &QTcpSocket::errorOccurred, &m_context,
                                 [this, from, to] { closed(from, to); });
            }
            QObject::connect(server, &QTcpSocket::connected, &m_context,
                             [this, client, server] { pass(client, server, true); });
            server->connectToHost(QHostAddress::LocalHost, m_serverPort);
        }
    }

    void pass(QTcpSocket *from, QTcpSocket *to, bool toServer = false)
    {
        if (m_held || to->state() != QAbstractSocket::ConnectedState || !from->bytesAvailable())
            return;
        if (toServer && m_fault && m_skip-- <= 0) {
            const auto fault = std::move(m_fault);
            m_fault = {};
            if (m_passFirst)
                to->write(from->readAll());
            fault(*this); // the sockets may be gone now
            return;
        }
        to->write(from->readAll());
    }

    // One side has gone: the other goes too once it has what was sent before.
    void closed(QTcpSocket *from, QTcpSocket *to)
    {
        if (m_held)
            return;
        // A pair already taken apart: its sockets are on their way out, and one of them may be
        // gone (a socket being deleted says it is disconnected too).
        for (qsizetype i = 0; i < m_pairs.size(); ++i) {
            if (m_pairs[i].first == from || m_pairs[i].second == from) {
                pass(from, to);
                m_pairs.removeAt(i);
                to->disconnectFromHost();
                from->deleteLater();
                to->deleteLater();
                return;
            }
        }
    }

    static void cut(QTcpSocket *socket)
    {
        const linger abrupt {1, 0};
        if (socket->socketDescriptor() >= 0)
            setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abrupt,
                       sizeof abrupt);
        socket->disconnect();
        socket->abort();
        socket->deleteLater();
    }

    quint16 m_serverPort;
    quint16 m_port = 0;
    QThread m_thread;
    QObject m_context; // lives on m_thread, with every socket
    QTcpServer *m_listener = nullptr;
    QList<QPair<QTcpSocket *, QTcpSocket *>> m_pairs;
    bool m_held = false;
    std::function<void(TcpProxy &)> m_fault;
    int m_skip = 0;
    bool m_passFirst = false;
};
