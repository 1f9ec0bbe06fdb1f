#include "MessageBoxes.h"

#include "pos/ErrorReport.h"

#include <QMessageBox>

void installMessageBoxes()
{
    ErrorReport::setSink([](ErrorReport::Kind kind, const QString &title, const QString &text) {
        QMessageBox box(kind == ErrorReport::Kind::Error ? QMessageBox::Critical
                                                         : QMessageBox::Warning,
                        title, text, QMessageBox::Ok);
        box.exec();
    });
}
