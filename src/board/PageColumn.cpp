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

QRect PageColumn::AdjustPageRect(const QSize &client)
{
    // Nothing of a page lies above the control, where the first row of cards would be clipped.
    return QRect(QPoint(0, 0), QPoint(client.width() - tabColumnWidth - 1, client.height() - 1));
}

void PageColumn::resizeEvent(QResizeEvent *)
{
    m_pages->setGeometry(AdjustPageRect(size()));
    m_tabs->setGeometry(width() - tabColumnWidth, 0, tabColumnWidth, height());
}
