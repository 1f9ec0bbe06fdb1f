#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A private ODBC configuration in a temporary folder: the SQLite ODBC driver and data sources
// on SQLite files, chosen through ODBCSYSINI and ODBCINI for this process and its children.
// The driver manager reads those two variables once per process, so there is one configuration
// per test program: instance().
class OdbcFixture
{
public:
    static OdbcFixture &instance()
    {
        static OdbcFixture fixture;
        return fixture;
    }

    // A data source name not used before in this process.
    QString uniqueName(const QString &stem) { return stem + QString::number(++m_serial); }

private:
    OdbcFixture()
    {
        write(QStringLiteral("odbcinst.ini"),
              "[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=" TAVLIX_SQLITE_ODBC_DRIVER "\n");
        write(QStringLiteral("odbc.ini"), "");
        qputenv("ODBCSYSINI", QFile::encodeName(m_dir.path()));
        qputenv("ODBCINI", QFile::encodeName(iniPath()));
    }

public:
    QString path() const { return m_dir.path(); }
    QString iniPath() const { return m_dir.filePath(QStringLiteral("odbc.ini")); }
    QString databaseFile(const QString &dsn) const
    {
        return m_dir.filePath(dsn + QStringLiteral(".db"));
    }

    // A data source on its own SQLite file. With noCreate the driver refuses to open a missing
    // file, so removing the file takes the database away and putting it back returns it. StepAPI
    // makes the driver hand out rows one by one instead of holding a whole result set.
    QString addDataSource(const QString &dsn, bool noCreate = true)
    {
        QFile ini(iniPath());
        if (ini.open(QIODevice::Append)) {
            ini.write("[" + dsn.toUtf8()
                      + "]\nDriver=SQLite3\nDatabase=" + QFile::encodeName(databaseFile(dsn)) + "\n"
                      + "StepAPI=1\n" + (noCreate ? "NoCreat=1\n" : "") + "\n");
        }
        return dsn;
    }

    // Takes the database away (true) or brings it back (false).
    void setAway(const QString &dsn, bool away)
    {
        const QString file = databaseFile(dsn);
        const QString hidden = file + QStringLiteral(".away");
        if (away)
            QFile::rename(file, hidden);
        else
            QFile::rename(hidden, file);
    }

private:
    void write(const QString &name, const QByteArray &content)
    {
        QFile f(m_dir.filePath(name));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(content);
    }

    QTemporaryDir m_dir;
    int m_serial = 0;
};
