#pragma once

#include <QString>

// One connect to an ODBC data source, the way the board connects, with what went wrong told
// apart by the ODBC state the driver manager or the driver reports.
struct ConnectionCheck
{
    enum Problem {
        None,
        NoQtDriver, // the Qt ODBC driver plugin is missing
        NoDataSource, // IM002
        NoDriver, // IM003: the data source's driver is not registered or cannot be loaded
        Unreachable, // 08001, 08S01, HYT00: no answer from the server
        LoginRefused, // 28000
        NoTables, // connected, but the board's health check statement fails
        CutPictures, // the newest ticket's picture arrives shorter than the server holds it
        Other,
    };

    Problem problem = None;
    QString sqlState;
    QString message; // the driver's own text
    // CutPictures: the ticket, the bytes the server gives its picture, and those that arrived.
    int ticket = 0;
    qint64 storedBytes = 0;
    qint64 receivedBytes = 0;

    bool ok() const { return problem == None; }
    // What is wrong and what to look at, for the person setting the board up.
    QString explanation(const QString &dataSource, const QString &user) const;
};

ConnectionCheck checkConnection(const QString &dataSource, const QString &user,
                                const QString &password);
