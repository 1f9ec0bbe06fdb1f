#include "PageColumn.h"

#include <QStackedWidget>
#include <QTabBar>

PageColumn::PageColumn(QWidget *parent)
    : QWidget(parent)
    , m_tabs(new QTabBar(this))
    , m_pages(new QStackedWidget(this))
{
    m_tabs->setShape(QTabBar::RoundedEast);
    m_tabs->setExpanding(false);
    m_tabs->setDrawBase(false);
    // The tabs keep the system's look on the black board.
    m_tabs->setPalette(QPalette(QColor(0xF0, 0xF0, 0xF0)));
    m_tabs->setAutoFillBackground(true);
    m_pages->setFrameShape(QFrame::NoFrame);
    m_pages->lower();
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        m_pages->setCurrentIndex(index);
        emit currentChanged(index);
    });
}

int PageColumn::addPage(QWidget *page, const QString &caption)
{
    m_pages->addWidget(page);
    return m_tabs->addTab(caption);
}

int PageColumn::currentIndex() const
{
    return m_tabs->currentIndex();
}

void PageColumn::setCurrentIndex(int index)
{
    m_tabs->setCurrentIndex(index);
}

QRect PageColumn::AdjustPageRect(const QSize &client, int computedTop)
{
    return QRect(QPoint(0, computedTop - 10),
                 QPoint(client.width() - tabColumnWidth - 1, client.height() - 1));
}

void PageColumn::resizeEvent(QResizeEvent *)
{
    m_pages->setGeometry(AdjustPageRect(size(), standardTop));
    m_tabs->setGeometry(width() - tabColumnWidth, 0, tabColumnWidth, height());
}
