#pragma once

#include "TavlixError.h"

#include <QString>

#include <exception>
#include <functional>

// The general error report and the board's warnings: modal message boxes with one "OK" button.
// A box is shown without waiting for it, so that the board goes on following the table behind it.
namespace ErrorReport {

enum class Kind { Error, Warning };

// Where reports go: the message boxes of MessageBoxes.h in the program, a recorder in tests.
// Without a sink they are written to the error output. A box sink calls closed once its box has
// been closed; with a plain sink, or none, the report counts as closed when it has been made.
using Sink = std::function<void(Kind kind, const QString &title, const QString &text)>;
using BoxSink = std::function<void(Kind kind, const QString &title, const QString &text,
                                   std::function<void()> closed)>;
void setSink(Sink sink);
void setBoxSink(BoxSink sink);

// The error text as the report shows it: a full stop added when its last character sorts after ".".
QString withFullStop(const QString &text);

// Titled "Tavlix", with an error icon.
void showError(const QString &text);
// Titled "Varning", with a warning sign; closed runs once it has been closed.
void showWarning(const QString &text, std::function<void()> closed = {});

// Runs an event handler and shows any error that escapes it, so that no exception ever reaches
// Qt's event loop. Returns false when the handler failed.
template<typename Handler> bool guarded(Handler &&handler)
{
    try {
        handler();
        return true;
    } catch (const TavlixError &e) {
        showError(e.message());
    } catch (const std::exception &e) {
        showError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

} // namespace ErrorReport
