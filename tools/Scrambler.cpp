// Prints the scrambled form of a password, the value of LOSEN in "krumel.ini". The password is
// read from standard input, never taken as an argument: the process list shows arguments to
// every user of the machine.
#include "PasswordInput.h"
#include "pos/Scramble.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (!args.isEmpty()) {
        const bool help = args.first() == u"--help" || args.first() == u"-h";
        std::fputs("usage: tavlix-scramble\n"
                   "Reads a password from standard input (without echo on a terminal) and\n"
                   "prints its scrambled form for LOSEN in krumel.ini.\n",
                   help ? stdout : stderr);
        return help ? 0 : 2;
    }
    const QString password = readPassword(QStringLiteral("Password: "));
    const QString scrambled = Scramble(QStringLiteral("E"), password, QStringLiteral("VarkoAB"));
    std::printf("%s\n", scrambled.toLatin1().constData());
    return 0;
}
