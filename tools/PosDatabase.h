#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

#include <optional>

class TDatabase;

// The point-of-sale side of the ticket table: what the simulator writes, the way the point-of-sale
// system does. Every failure throws TavlixError.
class PosDatabase
{
public:
    explicit PosDatabase(TDatabase &db);

    // Tavlix, FavUt and Foretag, when missing. Tavlix is made without BongChanged, which the
    // board adds itself.
    void createSchema();
    // The device's LopNr, adding the device when it is new.
    int deviceNumber(const QString &name);
    // The ID the next ticket gets, larger than all earlier ones.
    int nextId();
    // Inserts a ticket with the given ID, or with nextId() when id is 0, and returns its ID.
    int insertTicket(int device, int status, std::optional<int> sekunder, const QDateTime &skapad,
                     const QByteArray &bong, int id = 0);

    int count(const QString &where = QString());

private:
    void exec(const QString &sql);

    TDatabase &m_db;
};
