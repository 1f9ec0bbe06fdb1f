#include "DataSourceRepair.h"

#include "pos/TavlixError.h"

#include <odbcinst.h>

namespace {

QString installerError()
{
    DWORD code = 0;
    char message[SQL_MAX_MESSAGE_LENGTH] = {};
    WORD length = 0;
    if (SQLInstallerError(1, &code, message, sizeof(message), &length) == SQL_SUCCESS || length > 0)
        return QString::fromLocal8Bit(message);
    return QStringLiteral("ODBC configuration error");
}

bool knownDataSource(const QByteArray &name)
{
    char list[8192] = {};
    SQLSetConfigMode(ODBC_BOTH_DSN);
    const int n = SQLGetPrivateProfileString(nullptr, nullptr, "", list, sizeof(list), "odbc.ini");
    for (const char *p = list; p < list + n && *p; p += qstrlen(p) + 1) {
        if (name.compare(p, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

QString dataSourceSetting(const QString &dataSourceName, const QString &key)
{
    char value[1024] = {};
    SQLSetConfigMode(ODBC_BOTH_DSN);
    SQLGetPrivateProfileString(dataSourceName.toLocal8Bit().constData(),
                               key.toLocal8Bit().constData(), "", value, sizeof(value), "odbc.ini");
    return QString::fromLocal8Bit(value);
}

void repairDataSource(const QString &dataSourceName)
{
    const QByteArray name = dataSourceName.toLocal8Bit();
    if (name.isEmpty() || !knownDataSource(name))
        throw TavlixError(QStringLiteral("Unknown data source '%1'").arg(dataSourceName));
    SQLSetConfigMode(ODBC_BOTH_DSN);
    if (!SQLWritePrivateProfileString(name.constData(), "UID", "SA", "odbc.ini"))
        throw TavlixError(QStringLiteral("Could not save the data source '%1': %2")
                              .arg(dataSourceName, installerError()));
}
