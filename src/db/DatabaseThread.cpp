#include "DatabaseThread.h"

#include <QThread>
#include <QUuid>

#include <chrono>

struct DatabaseThread::Call
{
    Job job;
    std::exception_ptr error;
    bool done = false;
};

std::shared_ptr<DatabaseThread> DatabaseThread::start()
{
    std::shared_ptr<DatabaseThread> self(new DatabaseThread);
    self->m_connectionName = QStringLiteral("tavlix-") + QUuid::createUuid().toString(QUuid::Id128);
    QThread *thread = QThread::create([self]() mutable {
        self->loop();
        self.reset();
    });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    // The connection is made on the thread before the first job runs.
    auto ready = std::make_shared<bool>(false);
    self->post([ready](DatabaseThread &) { *ready = true; });
    thread->start();
    std::unique_lock lock(self->m_mutex);
    self->m_answered.wait(lock, [&] { return *ready; });
    return self;
}

DatabaseThread::~DatabaseThread() = default;

void DatabaseThread::loop()
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_connectionName);
    for (;;) {
        std::shared_ptr<Call> call;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_abandoned || m_finishing || !m_queue.empty(); });
            if (m_abandoned || m_queue.empty())
                break;
            call = m_queue.front();
            m_queue.pop_front();
        }
        try {
            call->job(*this);
        } catch (...) {
            call->error = std::current_exception();
        }
        std::lock_guard lock(m_mutex);
        call->done = true;
        m_answered.notify_all();
    }
    queries.clear();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
    std::lock_guard lock(m_mutex);
    m_queue.clear();
    m_ended = true;
    m_answered.notify_all();
}

std::shared_ptr<DatabaseThread::Call> DatabaseThread::enqueue(Job job)
{
    auto call = std::make_shared<Call>();
    call->job = std::move(job);
    std::lock_guard lock(m_mutex);
    m_queue.push_back(call);
    m_wake.notify_one();
    return call;
}

void DatabaseThread::post(Job job)
{
    enqueue(std::move(job));
}

bool DatabaseThread::run(Job job, int deadlineMs)
{
    const std::shared_ptr<Call> call = enqueue(std::move(job));
    std::unique_lock lock(m_mutex);
    if (!m_answered.wait_for(lock, std::chrono::milliseconds(deadlineMs),
                             [&call] { return call->done; })) {
        m_abandoned = true;
        m_wake.notify_all();
        return false;
    }
    if (call->error)
        std::rethrow_exception(call->error);
    return true;
}

void DatabaseThread::abandon()
{
    std::lock_guard lock(m_mutex);
    m_abandoned = true;
    m_wake.notify_all();
}

void DatabaseThread::finish(int waitMs)
{
    std::unique_lock lock(m_mutex);
    m_finishing = true;
    m_wake.notify_all();
    m_answered.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return m_ended; });
}

bool DatabaseThread::waitEnded(int waitMs)
{
    std::unique_lock lock(m_mutex);
    return m_answered.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return m_ended; });
}
