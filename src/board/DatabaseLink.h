#pragma once

#include "db/Database.h"
#include "db/Query.h"
#include "pos/TimeUtils.h"

#include <QObject>
#include <QTimer>

#include <functional>

// The board's link to the point-of-sale database: the connect at start one second after the
// window shows, the retries with their waits and countdown, the reconnect after a failed health
// check, and the one-time upgrade of the ticket table. It owns the connection and the three
// statement objects; the refresh timer belongs to the window and is only started and stopped.
class DatabaseLink : public QObject
{
    Q_OBJECT

public:
    explicit DatabaseLink(QTimer &updateTimer, QObject *parent = nullptr);

    // What the link asks of the window. Tests replace them.
    struct Hooks
    {
        std::function<void(const QString &)> setStatus;
        std::function<void()> loadBongs; // the full build after the connect at start
        std::function<void()> reloadBongs; // the rebuild after a reconnect
        std::function<void()> endApplication;
        WaitHooks wait = defaultWaitHooks();
    };
    Hooks hooks;

    // One "second" of the retry waits and the countdown, in milliseconds; only tests shorten it.
    int secondMs = 1000;

private:
    TDatabase m_db;

public:
    TDatabase &database() { return m_db; }
    TQuery qu_Slask;
    TQuery qu_Update;
    TQuery qu_Slask2;
    QTimer ti_InitieraDB;
    QTimer ti_SQLForsok;

    int countdown() const { return m_countdown; }
    QString dataSourceName() const { return m_dataSourceName; }
    // The application has been asked to end; nothing more is to be done with the database.
    bool isEnding() const { return m_ending; }

    void ti_InitieraDBTimer();
    void ti_SQLForsokTimer();
    void ConnectAtStart();
    void Reconnect();
    bool ConnectWithRetry();
    void CheckConnection();
    void UpgradeTicketTable();

    static QString missingSettingsText();
    static QString connectionFailureText();
    // The connection settings file, found without regard to the case of its name; empty if none.
    static QString settingsFile();

private:
    void connectSequence(bool atStart);
    void status(const QString &text);
    void end();

    QTimer &m_updateTimer;
    QString m_dataSourceName;
    int m_countdown = 0;
    bool m_ending = false;
};
