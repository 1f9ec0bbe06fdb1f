#include "DatabaseThread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QUuid>

#include <atomic>
#include <chrono>

namespace {

std::atomic<int> waitingCalls {0};

// Most calls answer within a few milliseconds; only a slower one lets the window run meanwhile.
constexpr auto quickAnswer = std::chrono::milliseconds(5);

struct WaitingCall
{
    WaitingCall() { ++waitingCalls; }
    ~WaitingCall() { --waitingCalls; }
};

bool onEventThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace

struct DatabaseThread::Call
{
    Job job;
    std::exception_ptr error;
    bool done = false;
    QEventLoop *waiter = nullptr; // quit when the call is done
};

bool DatabaseThread::callWaiting()
{
    return waitingCalls.load() > 0;
}

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
        if (call->waiter)
            QMetaObject::invokeMethod(call->waiter, &QEventLoop::quit, Qt::QueuedConnection);
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
    const WaitingCall waiting;
    const QDeadlineTimer deadline(deadlineMs);
    const std::shared_ptr<Call> call = enqueue(std::move(job));
    const auto answered = [&call] {
        return call->done;
    };
    {
        std::unique_lock lock(m_mutex);
        m_answered.wait_for(
            lock,
            std::min<std::chrono::nanoseconds>(quickAnswer, deadline.remainingTimeAsDuration()),
            answered);
    }
    // The window's timers and painting go on while the call takes its time; the user's input
    // waits until it is done.
    while (onEventThread() && !deadline.hasExpired()) {
        QEventLoop loop;
        {
            std::lock_guard lock(m_mutex);
            if (call->done)
                break;
            call->waiter = &loop;
        }
        QTimer expiry;
        expiry.setSingleShot(true);
        QObject::connect(&expiry, &QTimer::timeout, &loop, &QEventLoop::quit);
        expiry.start(std::max<qint64>(1, deadline.remainingTime()));
        const int exitCode = loop.exec(QEventLoop::ExcludeUserInputEvents);
        std::lock_guard lock(m_mutex);
        call->waiter = nullptr;
        if (exitCode != 0)
            break; // the application is ending: no nested loop runs any more
    }
    {
        std::unique_lock lock(m_mutex);
        m_answered.wait_for(lock, deadline.remainingTimeAsDuration(), answered);
        if (!call->done) {
            m_abandoned = true;
            m_wake.notify_all();
            return false;
        }
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
