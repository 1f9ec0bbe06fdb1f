#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A private ODBC configuration in a temporary folder: the SQLite and PostgreSQL ODBC drivers and
// data sources on SQLite files (or on a PostgreSQL server, PgFixture.h), chosen through ODBCSYSINI
// and ODBCINI for this process and its children. The driver manager reads those two variables once
// per process, so there is one configuration per test program: instance().
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
              "[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=" TAVLIX_SQLITE_ODBC_DRIVER "\n\n"
              "[PostgreSQL Unicode]\nDriver=" TAVLIX_PSQL_ODBC_DRIVER "\n");
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

    // The definition of a data source on its own SQLite file. With noCreate the driver refuses
    // to open a missing file, so removing the file takes the database away and putting it back
    // returns it. StepAPI makes the driver hand out rows one by one instead of holding a whole
    // result set. extra holds further lines of the definition.
    QByteArray definition(const QString &dsn, bool noCreate = true,
                          const QByteArray &extra = {}) const
    {
        return "[" + dsn.toUtf8()
            + "]\nDriver=SQLite3\nDatabase=" + QFile::encodeName(databaseFile(dsn)) + "\n"
            + "StepAPI=1\n" + (noCreate ? "NoCreat=1\n" : "") + extra + "\n";
    }

    // Defines the data source in the fixture's file, which is both the system file and, unless a
    // UserFile names another one, the user's.
    QString addDataSource(const QString &dsn, bool noCreate = true, const QByteArray &extra = {})
    {
        appendToIni(definition(dsn, noCreate, extra));
        return dsn;
    }

    // A data source with the given lines ("Key=value\n" each).
    QString addEntry(const QString &dsn, const QByteArray &lines)
    {
        appendToIni("[" + dsn.toUtf8() + "]\n" + lines + "\n");
        return dsn;
    }

    void appendToIni(const QByteArray &text)
    {
        QFile ini(iniPath());
        if (ini.open(QIODevice::Append))
            ini.write(text);
    }

    // A user file of its own while it lives, apart from the system file (ODBCINI is read at every
    // look-up, ODBCSYSINI only once per process, so only the user file can be switched).
    class UserFile
    {
    public:
        explicit UserFile(const QByteArray &content)
            : m_saved(qgetenv("ODBCINI"))
        {
            QFile f(path());
            if (f.open(QIODevice::WriteOnly))
                f.write(content);
            qputenv("ODBCINI", QFile::encodeName(path()));
        }
        ~UserFile() { qputenv("ODBCINI", m_saved); }
        QString path() const { return m_dir.filePath(QStringLiteral("user-odbc.ini")); }

    private:
        QTemporaryDir m_dir;
        QByteArray m_saved;
    };

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
