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
QStringList countDone(const QString &namn);
QStringList selectDone(const QString &namn);
// The late-commit check: the numbers, and nothing else, of the open tickets at or below lastId
// that are not among known, and then the open tickets among numbers (which must not be empty), in
// ascending number. The server leaves out the known tickets, so that a cycle with nothing late
// reads no row however many cards the tab holds; beyond maxKnown numbers the statement would
// grow too long, and the board sorts out the known ones itself.
constexpr int maxKnown = 1000;
QStringList selectOpenNumbers(const QString &namn, int lastId, const QList<int> &known = {});
QStringList selectOpenAmong(const QString &namn, const QList<int> &numbers);
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
