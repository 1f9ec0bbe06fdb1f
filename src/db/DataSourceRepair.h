#pragma once

#include "pos/TavlixError.h"

#include <QString>

// A data source repair that found the definition but could not save it, typically a system-wide
// odbc.ini the board's user may not write. The connect sequence notes it and goes on.
class DataSourceNotSaved : public TavlixError
{
public:
    using TavlixError::TavlixError;
};

// Sets the stored user name (key UID) of an ODBC data source to "SA" in the odbc.ini that
// defines it: the user's file when it defines the data source, otherwise the system-wide one.
// Nothing is written when the definition holds "SA" already. Throws TavlixError for an unknown
// data source and DataSourceNotSaved when the defining file cannot be written.
void repairDataSource(const QString &dataSourceName);

// The stored value of one key of a data source as the driver manager sees it, empty when missing.
QString dataSourceSetting(const QString &dataSourceName, const QString &key);
