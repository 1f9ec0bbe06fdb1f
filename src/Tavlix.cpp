#include "board/Mainform.h"
#include "controls/MessageBoxes.h"
#include "pos/FileMode.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    useBoardFileMode();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavlix"));
    installMessageBoxes();

    // Only the first argument is looked at ("/sharp").
    TF_Mainform board(QApplication::arguments().mid(1, 1));
    // Only the end-to-end tests shorten the retry waits (one "second" in milliseconds).
    if (const int ms = qEnvironmentVariableIntValue("TAVLIX_TEST_SECOND_MS"); ms > 0)
        board.link.secondMs = ms;
    board.showMaximized();
    return QApplication::exec();
}
