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
    // Inserts a ticket with the next ID, larger than all earlier ones, and returns that ID.
    int insertTicket(int device, int status, std::optional<int> sekunder, const QDateTime &skapad,
                     const QByteArray &bong);

    int count(const QString &where = QString());

private:
    void exec(const QString &sql);

    TDatabase &m_db;
};
