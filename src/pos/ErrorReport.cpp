#include "ErrorReport.h"

#include <cstdio>

namespace {

ErrorReport::Sink &sink()
{
    static ErrorReport::Sink s;
    return s;
}

ErrorReport::BoxSink &boxSink()
{
    static ErrorReport::BoxSink s;
    return s;
}

void show(ErrorReport::Kind kind, const QString &title, const QString &text,
          std::function<void()> closed = {})
{
    if (boxSink()) {
        boxSink()(kind, title, text, std::move(closed));
        return;
    }
    if (sink()) {
        sink()(kind, title, text);
    } else {
        // Without a window system to show it on, the report goes to the error output.
        std::fprintf(stderr, "%s: %s\n", title.toLocal8Bit().constData(),
                     text.toLocal8Bit().constData());
    }
    if (closed)
        closed();
}

} // namespace

namespace ErrorReport {

void setSink(Sink s)
{
    sink() = std::move(s);
    boxSink() = {};
}

void setBoxSink(BoxSink s)
{
    boxSink() = std::move(s);
}

QString withFullStop(const QString &text)
{
    if (!text.isEmpty() && text.back() > u'.')
        return text + u'.';
    return text;
}

void showError(const QString &text)
{
    show(Kind::Error, QStringLiteral("Tavlix"), withFullStop(text));
}

void showWarning(const QString &text, std::function<void()> closed)
{
    show(Kind::Warning, QStringLiteral("Varning"), text, std::move(closed));
}

} // namespace ErrorReport
