#include "TicketStatements.h"

#include "db/Query.h"
#include "db/SqlWork.h"

#include <algorithm>

namespace {

const QString alla = QStringLiteral("Alla");

QStringList withDevice(const QString &first, const QString &namn, const QStringList &rest = {})
{
    QStringList lines {first};
    if (namn != alla)
        lines.append(TicketStatements::deviceLine(namn));
    return lines + rest;
}

QString idBound(int lastId)
{
    return QStringLiteral("And ID > ") + QString::number(lastId);
}

} // namespace

namespace TicketStatements {

QString deviceLine(const QString &namn)
{
    return QStringLiteral("And LopNrFavUt in (Select LopNr from FavUt where Namn='")
        + QString(namn).replace(u'\'', QStringLiteral("''")) + QStringLiteral("')");
}

QStringList countOpen(const QString &namn)
{
    return withDevice(QStringLiteral("Select Count(*) Antal from Tavlix where Status=0"), namn);
}

QStringList countNewOpen(const QString &namn, int lastId)
{
    return withDevice(QStringLiteral("Select Count(*) Antal from Tavlix where Status=0"), namn,
                      {idBound(lastId)});
}

QStringList selectOpen(const QString &namn)
{
    return withDevice(QStringLiteral("Select * from Tavlix where Status = 0"), namn,
                      {QStringLiteral("Order by ID")});
}

QStringList selectNewOpen(const QString &namn, int lastId)
{
    return withDevice(QStringLiteral("Select * from Tavlix where Status = 0"), namn,
                      {idBound(lastId), QStringLiteral("Order by ID")});
}

namespace {

QString numberList(const QList<int> &numbers)
{
    QStringList list;
    for (const int n : numbers)
        list.append(QString::number(n));
    return u'(' + list.join(QStringLiteral(", ")) + u')';
}

} // namespace

QStringList selectOpenAmong(const QString &namn, const QList<int> &numbers)
{
    return withDevice(
        QStringLiteral("Select * from Tavlix where Status = 0"), namn,
        {QStringLiteral("And ID in ") + numberList(numbers), QStringLiteral("Order by ID")});
}

QStringList selectChanged(const QString &namn, int lastId, const QList<int> &known,
                          const QList<int> &shown)
{
    const QString low = QString::number(std::max(0, lastId - lateWindow));
    const bool askShown = !shown.isEmpty() && shown.size() <= maxKnown;
    const bool leaveKnown = !known.isEmpty() && known.size() <= maxKnown;
    const QString first = QStringLiteral("Select ID, Status from Tavlix where ")
        + (askShown ? QStringLiteral("(ID > ") + low + QStringLiteral(" Or ID in ")
                   + numberList(shown) + u')'
                    : QStringLiteral("ID > ") + low);
    QStringList tail {QStringLiteral("And ID <= ") + QString::number(lastId)};
    const QString late = leaveKnown
        ? QStringLiteral("Status = 0 And ID not in ") + numberList(known)
        : QStringLiteral("Status = 0");
    if (askShown) {
        tail.append(QStringLiteral("And ((") + late + QStringLiteral(") Or (Status <> 0 And ID in ")
                    + numberList(shown) + QStringLiteral("))"));
    } else {
        tail.append(QStringLiteral("And ") + late);
    }
    return withDevice(first, namn, tail);
}

QStringList highestNumber()
{
    return {QStringLiteral("Select Max(ID) Antal from Tavlix")};
}

QStringList selectDoneNumbersAbove(const QString &namn, int from)
{
    return withDevice(
        QStringLiteral("Select ID from Tavlix where Status = 1"), namn,
        {QStringLiteral("And ID > ") + QString::number(from), QStringLiteral("Order by ID")});
}

QStringList selectDoneAbove(const QString &namn, int from)
{
    return withDevice(
        QStringLiteral("Select * from Tavlix where Status = 1"), namn,
        {QStringLiteral("And ID > ") + QString::number(from), QStringLiteral("Order by ID")});
}

QStringList markDone(int seconds, const QString &id)
{
    return {QStringLiteral("Update Tavlix Set Status = 1, "),
            QStringLiteral("Sekunder =") + QString::number(seconds),
            QStringLiteral("where ID=") + id};
}

QStringList reopen(int seconds, const QString &id)
{
    return {QStringLiteral("Update Tavlix Set Status = 0, "),
            QStringLiteral("Sekunder =") + QString::number(seconds),
            QStringLiteral("where ID=") + id};
}

QStringList deviceNames()
{
    return {QStringLiteral("Select Namn from FavUt order By Namn")};
}

QStringList healthCheck()
{
    return {QStringLiteral("Select Count(*) from Foretag")};
}

QStringList probeBongChanged()
{
    return {QStringLiteral("Select BongChanged from Tavlix"), QStringLiteral("Where 1 = 0")};
}

QStringList addBongChanged()
{
    return {QStringLiteral("Alter table Tavlix Add BongChanged VarBinary(Max) ")};
}

} // namespace TicketStatements

namespace {

// field(name) gives the value of the current row's column.
template<typename Field> TicketRow readRow(Field field, bool withNumber)
{
    TicketRow row;
    row.id = SqlWork::toText(field(QStringLiteral("id")));
    row.status = SqlWork::toInteger(field(QStringLiteral("Status")));
    row.sekunder = SqlWork::toInteger(field(QStringLiteral("Sekunder")));
    row.skapad = SqlWork::toDateTime(field(QStringLiteral("Skapad")));
    if (withNumber)
        row.number = SqlWork::toInteger(field(QStringLiteral("ID")));
    row.bong = SqlWork::toBytes(field(QStringLiteral("Bong")));
    return row;
}

} // namespace

TicketRow readTicketRow(const TQuery &query, bool withNumber)
{
    return readRow([&query](const QString &name) { return query.field(name); }, withNumber);
}

TicketRow readTicketRow(const SqlWork::Rows &rows, size_t row, bool withNumber)
{
    return readRow([&](const QString &name) { return rows.field(row, name); }, withNumber);
}
