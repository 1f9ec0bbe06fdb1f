#pragma once

#include "db/Database.h"

#include <QObject>
#include <QTimer>

#include <functional>

// The board's link to the point-of-sale database: the connect at start one second after the
// window shows, the retries with their waits and countdown, the reconnect after a failed health
// check, and the one-time upgrade of the ticket table. It owns the connection; the refresh timer
// belongs to the window and is only started and stopped.
//
// Nothing here waits: each step sends its call to the connection's thread and goes on when the
// answer arrives as a queued event, and the retry waits are timers. So the window goes on
// painting, ticking and answering presses throughout, and nothing runs inside a half-done step.
class DatabaseLink : public QObject
{
    Q_OBJECT

public:
    explicit DatabaseLink(QTimer &updateTimer, QObject *parent = nullptr);

    using Then = std::function<void()>;
    // What the link asks of the window. Tests replace them.
    struct Hooks
    {
        std::function<void(const QString &)> setStatus;
        std::function<void(Then)> loadBongs; // the full build after the connect at start
        std::function<void(Then)> reloadBongs; // the rebuild after a reconnect
        std::function<void()> endApplication;
    };
    Hooks hooks;

    // One "second" of the retry waits and the countdown, in milliseconds; only tests shorten it.
    int secondMs = 1000;

    enum class State { Idle, Connecting, RetryWait, Connected, Ending };
    State state() const { return m_state; }
    // A connect sequence is under way (an attempt, or a wait between two).
    bool connecting() const { return m_state == State::Connecting || m_state == State::RetryWait; }

    TDatabase &database() { return m_db; }
    const TDatabase &database() const { return m_db; }
    QTimer ti_InitieraDB;
    QTimer ti_SQLForsok;

    int countdown() const { return m_countdown; }
    QString dataSourceName() const { return m_dataSourceName; }
    // The application has been asked to end; nothing more is to be done with the database.
    bool isEnding() const { return m_state == State::Ending; }

    void ti_InitieraDBTimer();
    void ti_SQLForsokTimer();
    void ConnectAtStart();
    // then runs once the sequence has ended: connected and rebuilt, or not.
    void Reconnect(Then then = {});
    // Starts the attempts of a connect sequence.
    void ConnectWithRetry();
    // The health check; a failed one reconnects. then runs at the end, with whether the board
    // may go on with its cycle.
    void CheckConnection(std::function<void(bool)> then);
    void UpgradeTicketTable(Then then = {});

    // Runs a statement on the connection's thread; done gets its error, if any, on this thread.
    void send(const QStringList &lines, bool returnsRows, TDatabase::Done done);

    static QString missingSettingsText();
    static QString connectionFailureText();
    // The connection settings file, found without regard to the case of its name; empty if none.
    static QString settingsFile();

signals:
    // A connect sequence ended: connected or not.
    void sequenceEnded(bool connected);

private:
    void connectSequence(bool atStart, Then then);
    void attempt();
    void attemptDone(std::exception_ptr error);
    void retryAfter(int seconds);
    void connected(bool ok);
    void stopSequence(const QString &error);
    void status(const QString &text);
    void end();

    TDatabase m_db;
    QTimer &m_updateTimer;
    QTimer m_retryWait;
    QString m_dataSourceName;
    State m_state = State::Idle;
    bool m_atStart = false;
    int m_attempt = 0;
    int m_countdown = 0;
    Then m_then; // after the current sequence
};
