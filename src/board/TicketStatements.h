#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

class TQuery;
namespace SqlWork {
struct Rows;
}

// Every statement the board sends for its tickets, as lines of text. namn is the output device;
// "Alla" (exactly) means all devices and adds no device line.
namespace TicketStatements {

QStringList countOpen(const QString &namn);
QStringList countNewOpen(const QString &namn, int lastId);
QStringList selectOpen(const QString &namn);
QStringList selectNewOpen(const QString &namn, int lastId);
// The open tickets among numbers (which must not be empty), in ascending number.
constexpr int maxKnown = 1000;
QStringList selectOpenAmong(const QString &namn, const QList<int> &numbers);
// What changed among the tickets near LastId and those the board shows, in one statement whose
// cost does not grow with the table's history: the numbers and states of the open tickets at or
// below lastId, and above lastId - lateWindow, that are not among known (a late commit, a ticket
// reopened elsewhere), and, when shown is not empty, of the shown tickets that are no longer open
// (finished on another board, or changed by other means). With nothing changed it reads no row.
// Beyond maxKnown numbers the lists would make the statement too long: the shown tickets are
// then not asked about, and the board sorts out the known ones itself.
constexpr int lateWindow = 1000;
QStringList selectChanged(const QString &namn, int lastId, const QList<int> &known,
                          const QList<int> &shown);
// The highest ticket number there is, and the numbers and rows of the done tickets above from,
// for a tab "Klara" that reads the latest done tickets only.
QStringList highestNumber();
QStringList selectDoneNumbersAbove(const QString &namn, int from);
QStringList selectDoneAbove(const QString &namn, int from);
QStringList markDone(int seconds, const QString &id);
QStringList reopen(int seconds, const QString &id);
QStringList deviceNames();

QStringList healthCheck();
QStringList probeBongChanged();
QStringList addBongChanged();

// "And LopNrFavUt in (Select LopNr from FavUt where Namn='…')", with a quote in the name doubled
// so that it matches that device and cannot end the text early.
QString deviceLine(const QString &namn);

} // namespace TicketStatements

// One row of a ticket select.
struct TicketRow
{
    QString id; // the ID as read, written back unchanged
    int number = 0; // the ID as integer (open tickets only)
    int status = 0;
    int sekunder = 0; // NULL reads as 0
    QDateTime skapad;
    QByteArray bong;
};

// Reads the current row; withNumber also reads the ID as integer (open-ticket builds).
TicketRow readTicketRow(const TQuery &query, bool withNumber);
TicketRow readTicketRow(const SqlWork::Rows &rows, size_t row, bool withNumber);
