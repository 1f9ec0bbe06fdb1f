#pragma once

#include <QString>

// Sets the stored user name of an ODBC data source to "SA" and saves it in the ODBC
// configuration (key UID of the data source in odbc.ini), so that every later open of that data
// source, by any program, uses it. Throws TavlixError for an unknown data source or a
// configuration that cannot be written.
void repairDataSource(const QString &dataSourceName);

// The stored value of one key of a data source, empty when missing.
QString dataSourceSetting(const QString &dataSourceName, const QString &key);
