#include "ErrorReport.h"

#include <cstdio>

namespace {

ErrorReport::Sink &sink()
{
    static ErrorReport::Sink s;
    return s;
}

void show(ErrorReport::Kind kind, const QString &title, const QString &text)
{
    if (sink()) {
        sink()(kind, title, text);
        return;
    }
    // Without a window system to show it on, the report goes to the error output.
    std::fprintf(stderr, "%s: %s\n", title.toLocal8Bit().constData(),
                 text.toLocal8Bit().constData());
}

} // namespace

namespace ErrorReport {

void setSink(Sink s)
{
    sink() = std::move(s);
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

void showWarning(const QString &text)
{
    show(Kind::Warning, QStringLiteral("Varning"), text);
}

} // namespace ErrorReport
