#pragma once

#include <QWidget>

// What a card shows where its picture would be when the picture cannot be shown: "Bongen kan
// inte visas" and, below it, why. The order still has its card, clock and button.
class TicketPlaceholder : public QWidget
{
    Q_OBJECT

public:
    TicketPlaceholder(const QString &reason, QWidget *parent = nullptr);

    static QString heading() { return QStringLiteral("Bongen kan inte visas"); }
    QString reason() const { return m_reason; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_reason;
};
