#include "TicketModel.h"

#include "TicketStatements.h"
#include "db/Database.h"
#include "db/SqlWork.h"
#include "pos/TavlixError.h"
#include "pos/TimeUtils.h"

#include <algorithm>
#include <limits>

namespace S = TicketStatements;

// What a build reads on the connection's thread.
struct TicketModel::Batch
{
    std::vector<Ticket> tickets;
    std::vector<Ticket> late; // open, at or below LastId, not known to the board
    QList<int> left; // shown, and no longer open in the table
};

namespace {

// Runs on the connection's thread, as does everything a job calls.
struct Reader
{
    DatabaseThread &thread;
    std::shared_ptr<TDatabase::SentStatements> sent;
    int timeout;

    // The ticket statements use no type name that differs between engines.
    QString noted(const QStringList &lines) const
    {
        const QString sql = lines.join(QStringLiteral("\r\n"));
        sent->note(sql);
        return sql;
    }

    SqlWork::Rows select(const QStringList &lines) const
    {
        return SqlWork::select(thread, noted(lines), timeout);
    }

    int count(const QStringList &lines) const
    {
        return select(lines).integer(0, QStringLiteral("Antal"));
    }

    // Every row of the select, or its last `last` rows, its picture decoded as it arrives: only
    // one raw picture is held at a time.
    void tickets(const QStringList &lines, bool open, std::vector<Ticket> &out,
                 size_t last = std::numeric_limits<size_t>::max()) const
    {
        if (last == 0)
            return;
        const QDateTime now = QDateTime::currentDateTime();
        const size_t first = out.size();
        SqlWork::selectEach(thread, noted(lines), timeout, [&](const SqlWork::Rows &rows) {
            const TicketRow row = readTicketRow(rows, 0, open);
            Ticket t;
            t.id = row.id;
            t.number = open ? row.number : row.id.toInt();
            if (row.sekunder != 0)
                t.seconds = row.sekunder;
            else if (row.skapad.isValid())
                t.seconds = ElapsedSeconds(now, row.skapad);
            TicketPicture::Result picture = TicketPicture::load(row.bong);
            t.problem = picture.problem;
            t.problemText = TicketPicture::reason(picture);
            t.picture = std::move(picture.image);
            t.decodedFormat = picture.decodedFormat;
            if (out.size() - first == last)
                out.erase(out.begin() + qsizetype(first));
            out.push_back(std::move(t));
        });
    }
};

void requireOpen(DatabaseThread &thread)
{
    if (!thread.database().isOpen())
        throw TavlixError(QStringLiteral("Ingen kontakt med databasen"));
}

QString messageOf(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const TavlixError &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Okänt fel");
    }
}

} // namespace

TicketModel::TicketModel(TDatabase &database, QObject *parent)
    : QObject(parent)
    , m_database(database)
{
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &TicketModel::tick);
    m_clock.start();
}

int TicketModel::find(Tab tab, int number) const
{
    const std::vector<Ticket> &list = tickets(tab);
    const auto found = std::find_if(list.begin(), list.end(),
                                    [number](const Ticket &t) { return t.number == number; });
    return found == list.end() ? -1 : int(found - list.begin());
}

void TicketModel::enqueue(std::function<void()> build)
{
    m_queue.push_back(std::move(build));
    if (!m_running)
        runNext();
}

void TicketModel::runNext()
{
    if (m_running || m_queue.empty())
        return;
    m_running = true;
    const std::function<void()> build = std::move(m_queue.front());
    m_queue.pop_front();
    build();
}

void TicketModel::submitBuild(Read read, std::function<void(Batch &)> take, Then then)
{
    auto batch = std::make_shared<Batch>();
    m_database.submit(
        [read = std::move(read), batch](DatabaseThread &t) {
            requireOpen(t);
            read(t, *batch);
        },
        this,
        [this, batch, take = std::move(take), then = std::move(then)](std::exception_ptr error) {
            if (error)
                emit buildFailed(messageOf(error));
            else
                take(*batch);
            m_running = false;
            if (then)
                then();
            runNext();
        });
}

void TicketModel::loadOpen(Then then)
{
    enqueue([this, then = std::move(then)] {
        const QString namn = m_namn;
        auto sent = m_database.sentStatements();
        const int timeout = m_database.driverTimeoutSeconds();
        submitBuild(
            [=](DatabaseThread &t, Batch &b) {
                const Reader r {t, sent, timeout};
                if (r.count(S::countOpen(namn)) > 0)
                    r.tickets(S::selectOpen(namn), true, b.tickets);
            },
            [this](Batch &b) { takeOver(Tab::Main, std::move(b.tickets), true, true); }, then);
    });
}

void TicketModel::loadNew(Then then)
{
    enqueue([this, then = std::move(then)] {
        const QString namn = m_namn;
        const int lastId = m_lastId;
        // Only numbers, and only of tickets the board does not know: with nothing missing the
        // cycle reads no row at all.
        QSet<int> known;
        QList<int> shown;
        for (const Ticket &t : m_open) {
            known.insert(t.number);
            shown.append(t.number);
        }
        std::sort(shown.begin(), shown.end());
        const bool follow = m_follow;
        auto sent = m_database.sentStatements();
        const int timeout = m_database.driverTimeoutSeconds();
        submitBuild(
            [=](DatabaseThread &t, Batch &b) mutable {
                const Reader r {t, sent, timeout};
                int last = lastId;
                if (r.count(S::countNewOpen(namn, lastId)) > 0) {
                    r.tickets(S::selectNewOpen(namn, lastId), true, b.tickets);
                    for (const Ticket &ticket : b.tickets) {
                        known.insert(ticket.number);
                        last = std::max(last, ticket.number);
                    }
                }
                // A lower number committed after a higher one was read, a ticket reopened
                // elsewhere, and, when the board follows the others, the shown tickets that are
                // no longer open.
                QList<int> sorted(known.begin(), known.end());
                std::sort(sorted.begin(), sorted.end());
                const SqlWork::Rows changed =
                    r.select(S::selectChanged(namn, last, sorted, follow ? shown : QList<int> {}));
                QList<int> missing;
                for (size_t i = 0; i < changed.rows.size(); ++i) {
                    const int number = changed.integer(i, QStringLiteral("ID"));
                    if (changed.integer(i, QStringLiteral("Status")) != 0)
                        b.left.append(number);
                    else if (!known.contains(number))
                        missing.append(number);
                }
                if (!missing.isEmpty())
                    r.tickets(S::selectOpenAmong(namn, missing), true, b.late);
            },
            [this](Batch &b) {
                // Finished on another board, or changed by other means: the card leaves, unless
                // this board's own change of it is on its way.
                for (const int number : b.left) {
                    const int found = find(Tab::Main, number);
                    if (found < 0 || m_actions.contains(number))
                        continue;
                    m_open.erase(m_open.begin() + found);
                    emit removed(Tab::Main, found, number);
                }
                std::vector<Ticket> all = std::move(b.tickets);
                const size_t fresh = all.size();
                for (Ticket &t : b.late)
                    all.push_back(std::move(t));
                // Late tickets leave LastId as it is.
                for (size_t i = 0; i < fresh; ++i)
                    m_lastId = std::max(m_lastId, all[i].number);
                takeOver(Tab::Main, std::move(all), false, false);
            },
            then);
    });
}

void TicketModel::loadDone(Then then)
{
    enqueue([this, then = std::move(then)] {
        const QString namn = m_namn;
        const auto limit = size_t(m_doneLimit);
        auto sent = m_database.sentStatements();
        const int timeout = m_database.driverTimeoutSeconds();
        submitBuild(
            [=](DatabaseThread &t, Batch &b) {
                // The latest done tickets only, among the last numbers: however long the table's
                // history, the tab opens as fast and holds as much.
                const Reader r {t, sent, timeout};
                // The numbers first, so that only the pictures shown are read.
                const int highest = r.count(S::highestNumber());
                const int from = std::max(0, highest - doneWindowPerTicket * int(limit));
                const SqlWork::Rows done = r.select(S::selectDoneNumbersAbove(namn, from));
                if (done.rows.empty())
                    return;
                const size_t kept = done.rows.size() - std::min(limit, done.rows.size());
                const int below = done.integer(kept, QStringLiteral("ID")) - 1;
                r.tickets(S::selectDoneAbove(namn, below), false, b.tickets, limit);
            },
            [this](Batch &b) { takeOver(Tab::Ready, std::move(b.tickets), true, false); }, then);
    });
}

void TicketModel::takeOver(Tab tab, std::vector<Ticket> batch, bool replace, bool setsLastId)
{
    std::vector<Ticket> &list = tab == Tab::Main ? m_open : m_done;
    QSet<int> before;
    for (const Ticket &t : list)
        before.insert(t.number);
    if (replace)
        list.clear();
    // Never a ticket twice: one already shown keeps its card.
    std::erase_if(batch, [&](const Ticket &t) { return !replace && find(tab, t.number) >= 0; });
    QList<int> arrivals;
    for (Ticket &t : batch) {
        if (setsLastId)
            m_lastId = t.number;
        if (m_actions.contains(t.number) && m_actions[t.number].tab == tab)
            t.sending = true;
        // New to the board: neither shown before nor brought back by its cook.
        if (tab == Tab::Main && m_builtOpen && !before.contains(t.number)
            && !m_broughtBack.remove(t.number))
            arrivals.append(t.number);
        list.push_back(t);
    }
    if (tab == Tab::Main)
        m_builtOpen = true;
    if (replace)
        emit replaced(tab, batch);
    else if (!batch.empty())
        emit appended(tab, batch);
    if (!arrivals.isEmpty())
        emit arrived(arrivals);
}

void TicketModel::markDone(int number)
{
    const int found = find(Tab::Main, number);
    if (found < 0 || m_actions.contains(number))
        return;
    const Ticket &t = m_open[size_t(found)];
    send({Tab::Main, number, t.id, t.seconds});
}

void TicketModel::reopen(int number)
{
    const int found = find(Tab::Ready, number);
    if (found < 0 || m_actions.contains(number))
        return;
    const Ticket &t = m_done[size_t(found)];
    send({Tab::Ready, number, t.id, t.seconds});
}

void TicketModel::recall(int number, const QString &id, int seconds)
{
    if (find(Tab::Ready, number) >= 0)
        return reopen(number);
    if (!m_actions.contains(number))
        send({Tab::Ready, number, id, seconds});
}

void TicketModel::send(const Action &action)
{
    m_actions.insert(action.number, action);
    setSending(action.tab, action.number, true);
    const QString sql =
        m_database.sqlText(action.tab == Tab::Main ? S::markDone(action.seconds, action.id)
                                                   : S::reopen(action.seconds, action.id));
    m_database.noteStatement(sql);
    const int timeout = m_database.driverTimeoutSeconds();
    m_database.submit(
        [sql, timeout](DatabaseThread &t) {
            requireOpen(t);
            SqlWork::execute(t, sql, timeout);
        },
        this, [this, action](std::exception_ptr error) { sent(action, error); });
}

void TicketModel::sent(const Action &action, std::exception_ptr error)
{
    m_actions.remove(action.number);
    if (error) {
        setSending(action.tab, action.number, false);
        emit actionFailed(messageOf(error));
        return;
    }
    // The table holds the change: the ticket leaves its tab.
    std::vector<Ticket> &list = action.tab == Tab::Main ? m_open : m_done;
    const int found = find(action.tab, action.number);
    if (found >= 0) {
        list.erase(list.begin() + found);
        emit removed(action.tab, found, action.number);
    }
    if (action.tab == Tab::Main) {
        m_lastMarkedDone = action.number;
        emit markedDone(action.number, action.id, action.seconds);
    } else {
        m_broughtBack.insert(action.number);
        // Built anew, so that the ticket takes its place in number order.
        loadOpen();
    }
}

void TicketModel::setSending(Tab tab, int number, bool on)
{
    const int found = find(tab, number);
    if (found < 0)
        return;
    Ticket &t = (tab == Tab::Main ? m_open : m_done)[size_t(found)];
    if (t.sending == on)
        return;
    t.sending = on;
    emit sendingChanged(tab, number, on);
}

void TicketModel::tick()
{
    // The age counts ticks, not wall time.
    for (Ticket &t : m_open)
        ++t.seconds;
    emit ticked();
}

void TicketModel::setAge(int number, int seconds)
{
    const int found = find(Tab::Main, number);
    if (found < 0 || m_open[size_t(found)].seconds == seconds)
        return;
    m_open[size_t(found)].seconds = seconds;
    emit ticked();
}
