#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavlix"));
    std::fputs("Tavlix: the board window is not part of this build yet.\n", stderr);
    return 1;
}
