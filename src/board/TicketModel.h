#pragma once

#include "CardLayout.h"
#include "TicketPicture.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <functional>
#include <vector>

class DatabaseThread;
class TDatabase;

// One ticket as the board holds it.
struct Ticket
{
    int number = 0; // the ID as integer, the ticket's identity on the board
    QString id; // the ID as read, written back unchanged
    int seconds = 0; // its age
    QImage picture; // compact; null when the picture cannot be shown
    QImage::Format decodedFormat = QImage::Format_Invalid;
    TicketPicture::Problem problem = TicketPicture::Problem::None;
    QString problemText; // why the picture cannot be shown, for the cook
    bool sending = false; // its change of status is on its way to the table
};

// The open and the done tickets of the board, without any window: what the table holds for them,
// LastId, the one clock that ages the open tickets, and the cook's changes of status. Reading and
// decoding run on the connection's thread; each result arrives as one queued event and is taken
// over in one step, so that the views never see a tab half built. Builds run one at a time, in
// the order asked for. A change of status leaves its ticket in place, marked as sending, until
// the table holds it; any number of them may be under way at once.
class TicketModel : public QObject
{
    Q_OBJECT

public:
    using Tab = CardLayout::Tab;

    TicketModel(TDatabase &database, QObject *parent = nullptr);

    void setDevice(const QString &namn) { m_namn = namn; }
    QString device() const { return m_namn; }
    // Follow the other boards: each cycle also takes away the shown tickets that are no longer
    // open in the table.
    void setFollow(bool follow) { m_follow = follow; }
    // The most done tickets the tab "Klara" reads: the latest, among the last
    // doneWindowPerTicket × limit numbers.
    static constexpr int doneWindowPerTicket = 10;
    void setDoneLimit(int limit) { m_doneLimit = std::max(1, limit); }
    int doneLimit() const { return m_doneLimit; }

    const std::vector<Ticket> &tickets(Tab tab) const { return tab == Tab::Main ? m_open : m_done; }
    // The position of the ticket on its tab, -1 when it is not there.
    int find(Tab tab, int number) const;
    int lastId() const { return m_lastId; }
    // A build is under way or waiting.
    bool busy() const { return m_running || !m_queue.empty(); }
    bool sending() const { return !m_actions.isEmpty(); }
    // The ticket this board marked done last; 0 before the first.
    int lastMarkedDone() const { return m_lastMarkedDone; }

    // The builds; then runs once the result has been taken over, or the build has failed.
    using Then = std::function<void()>;
    void loadOpen(Then then = {}); // every open ticket, replacing those shown
    // Those above LastId, open ones near it that the board does not know, and (following the
    // other boards) the shown ones that are no longer open.
    void loadNew(Then then = {});
    void loadDone(Then then = {}); // the latest done tickets, replacing those shown

    // The cook's changes of status. The ticket is marked as sending until the table holds the
    // change; then it leaves its tab. Reopening builds the open tickets anew.
    void markDone(int number);
    void reopen(int number);
    // Reopens a ticket this board marked done, whether or not it is on the tab "Klara".
    void recall(int number, const QString &id, int seconds);

    // One second of the clock: every open ticket ages by one.
    void tick();
    // A ticket's age set by hand, as when the clock is put right.
    void setAge(int number, int seconds);
    QTimer &clock() { return m_clock; }

signals:
    // The tab's tickets were replaced, or batch was appended: every ticket read, in order, those
    // whose picture cannot be shown included.
    void replaced(CardLayout::Tab tab, const std::vector<Ticket> &batch);
    void appended(CardLayout::Tab tab, const std::vector<Ticket> &batch);
    // The ticket at position left its tab.
    void removed(CardLayout::Tab tab, int position, int number);
    void sendingChanged(CardLayout::Tab tab, int number, bool sending);
    // Open tickets new to the board, after its first build: not those its cook brought back.
    void arrived(const QList<int> &numbers);
    void ticked();
    // A ticket this board marked done, for the recall key.
    void markedDone(int number, const QString &id, int seconds);
    // A build failed: the tickets shown stay as they were.
    void buildFailed(const QString &message);
    // A change of status failed: the ticket stays where it was, and the cook can press again.
    void actionFailed(const QString &message);

private:
    struct Batch;
    struct Action
    {
        Tab tab;
        int number;
        QString id;
        int seconds;
    };
    void enqueue(std::function<void()> build);
    void runNext();
    using Read = std::function<void(DatabaseThread &, Batch &)>;
    void submitBuild(Read read, std::function<void(Batch &)> take, Then then);
    void takeOver(Tab tab, std::vector<Ticket> batch, bool replace, bool setsLastId);
    void send(const Action &action);
    void sent(const Action &action, std::exception_ptr error);
    void setSending(Tab tab, int number, bool on);

    TDatabase &m_database;
    QString m_namn = QStringLiteral("Alla");
    bool m_follow = true;
    int m_doneLimit = 100;
    std::vector<Ticket> m_open;
    std::vector<Ticket> m_done;
    QSet<int> m_broughtBack; // reopened here, until they are read again
    bool m_builtOpen = false; // the open tickets have been read once
    int m_lastId = 0;
    int m_lastMarkedDone = 0;
    bool m_running = false;
    std::deque<std::function<void()>> m_queue;
    QHash<int, Action> m_actions; // under way, by ticket number
    QTimer m_clock;
};
