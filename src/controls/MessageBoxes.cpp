#include "MessageBoxes.h"

#include "pos/ErrorReport.h"

#include <QMessageBox>
#include <QPointer>

#include <functional>
#include <memory>

namespace {

// The one box on the screen. A box is modal to the cook but waits for nothing: the board behind
// it goes on following the table.
QPointer<QMessageBox> &openBox()
{
    static QPointer<QMessageBox> box;
    return box;
}

} // namespace

void installMessageBoxes()
{
    ErrorReport::setBoxSink([](ErrorReport::Kind kind, const QString &title, const QString &text,
                               std::function<void()> closed) {
        QPointer<QMessageBox> &box = openBox();
        // A warning that ends the board replaces what is shown; another error adds no box, and
        // never takes the place of such a warning.
        if (box && kind == ErrorReport::Kind::Error && !closed) {
            if (!box->property("endsBoard").toBool())
                box->setText(text);
            return;
        }
        if (box)
            box->close();
        box = new QMessageBox(kind == ErrorReport::Kind::Error ? QMessageBox::Critical
                                                               : QMessageBox::Warning,
                              title, text, QMessageBox::Ok);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::ApplicationModal);
        if (closed) {
            box->setProperty("endsBoard", true);
            QObject::connect(box, &QMessageBox::finished, box, [closed] { closed(); });
        }
        box->show();
    });
}
