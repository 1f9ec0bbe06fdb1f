#include "ServiceSummary.h"

#include "CardArea.h"
#include "Mainform.h"
#include "controls/Panel.h"
#include "pos/TextUtils.h"

#include <QEvent>
#include <QPainter>

namespace {

constexpr int leftMargin = 8;
constexpr int rightPanelWidth = 344; // pa_Hoger
const QString gap = QStringLiteral("   ");
const QString oldestLabel = QStringLiteral("Äldsta bong: ");

} // namespace

ServiceSummary::ServiceSummary(TF_Mainform &board)
    : QWidget(board.pa_Top)
    , m_board(board)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFont(board.font());
    fit();
    board.pa_Top->installEventFilter(this);
    connect(&board.model(), &TicketModel::ticked, this, &ServiceSummary::refresh);
    connect(&board, &TF_Mainform::cardsChanged, this, &ServiceSummary::refresh);
    refresh();
    show();
}

QString ServiceSummary::text() const
{
    return m_oldest.isEmpty() ? m_count : m_count + gap + oldestLabel + m_oldest;
}

void ServiceSummary::refresh()
{
    const std::vector<Ticket> &open = m_board.model().tickets(CardLayout::Tab::Main);
    int oldest = 0;
    for (const Ticket &ticket : open)
        oldest = std::max(oldest, ticket.seconds);
    const QString count = QStringLiteral("Pågående: %1").arg(open.size());
    const QString wait = open.empty() ? QString() : ClockText(oldest).left(5);
    const QColor color = open.empty() ? QColor() : m_board.AgeColor(oldest);
    if (count == m_count && wait == m_oldest && color == m_color)
        return;
    m_count = count;
    m_oldest = wait;
    m_color = color;
    update();
}

void ServiceSummary::fit()
{
    const int top = parentWidget()->width();
    setGeometry(leftMargin, 0, std::max(0, top - rightPanelWidth - leftMargin),
                parentWidget()->height());
}

bool ServiceSummary::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        fit();
    return false;
}

void ServiceSummary::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setFont(font());
    auto part = [&p, this, left = 0](const QString &text, const QColor &color) mutable {
        p.setPen(color);
        p.drawText(rect().adjusted(left, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        left += fontMetrics().horizontalAdvance(text);
    };
    part(m_count, Qt::white);
    if (m_oldest.isEmpty())
        return;
    part(gap + oldestLabel, Qt::white);
    part(m_oldest, m_color);
}
