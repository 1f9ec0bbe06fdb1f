#include "board/Mainform.h"
#include "controls/MessageBoxes.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavlix"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tavlix"));
    installMessageBoxes();

    // Only the first argument is looked at ("/sharp").
    TF_Mainform board(QApplication::arguments().mid(1, 1));
    board.showMaximized();
    return QApplication::exec();
}
