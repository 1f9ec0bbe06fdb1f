#pragma once

#include <QString>

// Reads one line from standard input as a password, without echo when it is a terminal (the
// prompt then goes to standard error). A password given on the command line would be visible to
// every user of the machine in the process list.
QString readPassword(const QString &prompt);
