#include "DataSourceRepair.h"

#include <QFile>

#include <odbcinst.h>
#include <pwd.h>
#include <unistd.h>

namespace {

// Every look-up and write in one configuration mode: ODBC_USER_DSN is the user's odbc.ini alone,
// ODBC_SYSTEM_DSN the system's alone. The mode is global to the process; it is restored so that
// later connects see both files again.
class ConfigMode
{
public:
    explicit ConfigMode(UWORD mode)
    {
        SQLGetConfigMode(&m_saved);
        SQLSetConfigMode(mode);
    }
    ~ConfigMode() { SQLSetConfigMode(m_saved); }
    ConfigMode(const ConfigMode &) = delete;
    ConfigMode &operator=(const ConfigMode &) = delete;

private:
    UWORD m_saved = ODBC_BOTH_DSN;
};

// The data source's name as the current mode's file spells it; empty when that file does not
// define it. Names match without regard to case, as the driver manager matches them.
QByteArray storedName(const QByteArray &name)
{
    char list[16384] = {};
    const int n = SQLGetPrivateProfileString(nullptr, nullptr, "", list, sizeof(list), "odbc.ini");
    for (const char *p = list; n > 0 && p < list + n && *p; p += qstrlen(p) + 1) {
        if (name.compare(p, Qt::CaseInsensitive) == 0)
            return QByteArray(p);
    }
    return {};
}

QString storedUserName(const QByteArray &section)
{
    char value[1024] = {};
    SQLGetPrivateProfileString(section.constData(), "UID", "", value, sizeof(value), "odbc.ini");
    return QString::fromLocal8Bit(value);
}

// The file a mode reads and writes, for the log: ODBCINI or ~/.odbc.ini for the user's,
// ODBCSYSINI/odbc.ini or /etc/odbc.ini for the system's.
QString configFile(UWORD mode)
{
    if (mode == ODBC_USER_DSN) {
        if (const QByteArray ini = qgetenv("ODBCINI"); !ini.isEmpty())
            return QFile::decodeName(ini);
        const passwd *user = getpwuid(getuid());
        return QFile::decodeName(user && user->pw_dir ? user->pw_dir : "/home")
            + QStringLiteral("/.odbc.ini");
    }
    const QByteArray dir = qgetenv("ODBCSYSINI");
    return QFile::decodeName(dir.isEmpty() ? QByteArray("/etc") : dir)
        + QStringLiteral("/odbc.ini");
}

} // namespace

QString dataSourceSetting(const QString &dataSourceName, const QString &key)
{
    char value[1024] = {};
    const ConfigMode both(ODBC_BOTH_DSN);
    SQLGetPrivateProfileString(dataSourceName.toLocal8Bit().constData(),
                               key.toLocal8Bit().constData(), "", value, sizeof(value), "odbc.ini");
    return QString::fromLocal8Bit(value);
}

void repairDataSource(const QString &dataSourceName)
{
    const QByteArray name = dataSourceName.toLocal8Bit();
    // The user's definition is the one the driver manager uses when both files have one; a
    // section written into the user's file would hide a system-wide definition.
    for (const UWORD mode : {UWORD(ODBC_USER_DSN), UWORD(ODBC_SYSTEM_DSN)}) {
        const ConfigMode only(mode);
        const QByteArray section = name.isEmpty() ? QByteArray() : storedName(name);
        if (section.isEmpty())
            continue;
        if (storedUserName(section) == u"SA")
            return;
        if (!SQLWritePrivateProfileString(section.constData(), "UID", "SA", "odbc.ini")) {
            throw DataSourceNotSaved(
                QStringLiteral("Could not save UID=SA in the data source '%1' of %2")
                    .arg(dataSourceName, configFile(mode)));
        }
        return;
    }
    throw TavlixError(QStringLiteral("Unknown data source '%1'").arg(dataSourceName));
}
