#pragma once

#include <QWidget>

class QStackedWidget;
class QTabBar;

// A tab control with its tabs in one column at the right edge. AdjustPageRect gives the pages
// the whole control without the standard frame, from its top edge down, up to a 22-pixel column
// at the right where the tabs stand.
class PageColumn : public QWidget
{
    Q_OBJECT

public:
    explicit PageColumn(QWidget *parent = nullptr);

    int addPage(QWidget *page, const QString &caption);
    int currentIndex() const;
    void setCurrentIndex(int index);
    QTabBar *tabBar() const { return m_tabs; }

    // The page rectangle for a control of the given size.
    static QRect AdjustPageRect(const QSize &client);
    static constexpr int tabColumnWidth = 22;

signals:
    void currentChanged(int index);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QTabBar *m_tabs;
    QStackedWidget *m_pages;
};
