// Saves a picture of the whole X display as PNG: tavlix-screenshot FILE.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("usage: tavlix-screenshot FILE.png\n", stderr);
        return 2;
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fputs("tavlix-screenshot: could not grab the display\n", stderr);
        return 1;
    }
    return 0;
}
