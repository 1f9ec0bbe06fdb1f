#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

// The thread one database connection lives on. Every driver call runs there, so a call that
// hangs on a dead network blocks only this thread. The window posts its work and gets the answer
// as a queued event (TDatabase::submit); tools and tests may also wait for an answer, up to a
// deadline. A thread given up on ends by itself when its call returns, and closes and removes its
// connection there.
class DatabaseThread
{
public:
    using Job = std::function<void(DatabaseThread &)>;

    // A thread with a fresh connection of the ODBC driver (not opened).
    static std::shared_ptr<DatabaseThread> start();
    ~DatabaseThread();
    DatabaseThread(const DatabaseThread &) = delete;
    DatabaseThread &operator=(const DatabaseThread &) = delete;

    // Runs job on the thread, blocking the caller, and returns what it throws. False when no
    // answer came within deadlineMs: the thread is then given up. Never for the window's thread.
    bool run(Job job, int deadlineMs);
    // Queues job without waiting for it.
    void post(Job job);
    // The thread ends after its current job, without running what is queued behind it.
    void abandon();
    // The thread closes the connection and ends after what is queued; waits up to waitMs.
    void finish(int waitMs);
    // Waits up to waitMs for the thread to have ended; true when it has.
    bool waitEnded(int waitMs);

    // The connection; used on other threads only while no job runs.
    QSqlDatabase &database() { return m_db; }
    // Open statements by number; only jobs touch them.
    std::map<quint64, std::unique_ptr<QSqlQuery>> queries;

private:
    struct Call;
    DatabaseThread() = default;
    void loop();
    std::shared_ptr<Call> enqueue(Job job);

    std::mutex m_mutex;
    std::condition_variable m_wake; // work for the thread
    std::condition_variable m_answered; // a call done, or the thread ended
    std::deque<std::shared_ptr<Call>> m_queue;
    bool m_abandoned = false;
    bool m_finishing = false;
    bool m_ended = false;
    QString m_connectionName;
    QSqlDatabase m_db;
};
