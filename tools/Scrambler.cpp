// Prints the scrambled form of a password, the value of LOSEN in "krumel.ini":
// tavlix-scramble [PASSWORD]. Without an argument the password is read from standard input.
#include "PasswordInput.h"
#include "pos/Scramble.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() > 1 || (args.size() == 1 && args.first().startsWith(u'-'))) {
        std::fputs("usage: tavlix-scramble [PASSWORD]\n"
                   "Prints the scrambled form of PASSWORD for LOSEN in krumel.ini; without\n"
                   "PASSWORD it is read from standard input.\n",
                   args.first() == u"--help" || args.first() == u"-h" ? stdout : stderr);
        return args.first() == u"--help" || args.first() == u"-h" ? 0 : 2;
    }
    const QString password =
        args.isEmpty() ? readPassword(QStringLiteral("Password: ")) : args.first();
    const QString scrambled = Scramble(QStringLiteral("E"), password, QStringLiteral("VarkoAB"));
    std::printf("%s\n", scrambled.toLatin1().constData());
    return 0;
}
