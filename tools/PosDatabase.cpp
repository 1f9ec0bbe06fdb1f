#include "PosDatabase.h"

#include "db/Database.h"
#include "pos/TavlixError.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

[[noreturn]] void fail(const QSqlQuery &q)
{
    throw TavlixError(q.lastError().text());
}

} // namespace

PosDatabase::PosDatabase(TDatabase &db)
    : m_db(db)
{
}

void PosDatabase::exec(const QString &sql)
{
    QSqlQuery q(m_db.handle());
    if (!q.exec(sql))
        fail(q);
}

void PosDatabase::createSchema()
{
    // PostgreSQL names the date-time and binary types differently.
    const bool pg = m_db.isPostgreSql();
    exec(QStringLiteral("CREATE TABLE IF NOT EXISTS Tavlix (ID INTEGER PRIMARY KEY, "
                        "LopNrFavUt INTEGER, Status INTEGER NOT NULL DEFAULT 0, Sekunder INTEGER, "
                        "Skapad %1 NOT NULL, Bong %2)")
             .arg(pg ? QStringLiteral("TIMESTAMP") : QStringLiteral("DATETIME"),
                  pg ? QStringLiteral("BYTEA") : QStringLiteral("BLOB")));
    exec(QStringLiteral("CREATE TABLE IF NOT EXISTS FavUt (LopNr INTEGER PRIMARY KEY, "
                        "Namn VARCHAR(40) NOT NULL)"));
    exec(QStringLiteral("CREATE TABLE IF NOT EXISTS Foretag (ID INTEGER PRIMARY KEY, "
                        "Namn VARCHAR(60))"));
    QSqlQuery q(m_db.handle());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM Foretag")) || !q.next())
        fail(q);
    if (q.value(0).toInt() == 0)
        exec(QStringLiteral("INSERT INTO Foretag (ID, Namn) VALUES (1, 'Restaurang Demo')"));
}

int PosDatabase::deviceNumber(const QString &name)
{
    QSqlQuery q(m_db.handle());
    q.prepare(QStringLiteral("SELECT LopNr FROM FavUt WHERE Namn = ?"));
    q.addBindValue(name);
    if (!q.exec())
        fail(q);
    if (q.next())
        return q.value(0).toInt();
    QSqlQuery next(m_db.handle());
    if (!next.exec(QStringLiteral("SELECT COALESCE(MAX(LopNr), 0) + 1 FROM FavUt")) || !next.next())
        fail(next);
    const int number = next.value(0).toInt();
    QSqlQuery insert(m_db.handle());
    insert.prepare(QStringLiteral("INSERT INTO FavUt (LopNr, Namn) VALUES (?, ?)"));
    insert.addBindValue(number);
    insert.addBindValue(name);
    if (!insert.exec())
        fail(insert);
    return number;
}

int PosDatabase::nextId()
{
    QSqlQuery next(m_db.handle());
    if (!next.exec(QStringLiteral("SELECT COALESCE(MAX(ID), 0) + 1 FROM Tavlix")) || !next.next())
        fail(next);
    return next.value(0).toInt();
}

int PosDatabase::insertTicket(int device, int status, std::optional<int> sekunder,
                              const QDateTime &skapad, const QByteArray &bong, int id)
{
    if (id == 0)
        id = nextId();
    QSqlQuery q(m_db.handle());
    q.prepare(QStringLiteral("INSERT INTO Tavlix (ID, LopNrFavUt, Status, Sekunder, Skapad, Bong) "
                             "VALUES (?, ?, ?, ?, ?, ?)"));
    q.addBindValue(id);
    q.addBindValue(device);
    q.addBindValue(status);
    q.addBindValue(sekunder ? QVariant(*sekunder) : QVariant(QMetaType::fromType<int>()));
    q.addBindValue(skapad.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    q.addBindValue(bong);
    if (!q.exec())
        fail(q);
    return id;
}

int PosDatabase::count(const QString &where)
{
    QSqlQuery q(m_db.handle());
    const QString sql = QStringLiteral("SELECT COUNT(*) FROM Tavlix")
        + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where);
    if (!q.exec(sql) || !q.next())
        fail(q);
    return q.value(0).toInt();
}
