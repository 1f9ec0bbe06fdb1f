#include "ServiceSummary.h"

#include "CardArea.h"
#include "CardWatch.h"
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
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &ServiceSummary::refresh);
    m_clock.start();
    auto *watch = new CardWatch(this);
    watch->watch(board.sb_Main->canvas());
    connect(watch, &CardWatch::changed, this, &ServiceSummary::refresh);
    refresh();
    show();
}

QString ServiceSummary::text() const
{
    return m_oldest.isEmpty() ? m_count : m_count + gap + oldestLabel + m_oldest;
}

void ServiceSummary::refresh()
{
    int oldest = 0;
    for (const auto &record : m_board.MainList)
        oldest = std::max(oldest, record->Seconds);
    const QString count = QStringLiteral("Pågående: %1").arg(m_board.MainList.size());
    const QString wait = m_board.MainList.empty() ? QString() : ClockText(oldest).left(5);
    const QColor color = m_board.MainList.empty() ? QColor() : m_board.AgeColor(oldest);
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
