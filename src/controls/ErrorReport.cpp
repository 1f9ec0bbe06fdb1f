#include "ErrorReport.h"

#include <QMessageBox>

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
    QMessageBox box(kind == ErrorReport::Kind::Error ? QMessageBox::Critical : QMessageBox::Warning,
                    title, text, QMessageBox::Ok);
    box.exec();
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
