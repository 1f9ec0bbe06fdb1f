#pragma once

#include <QWidget>

class QStackedWidget;
class QTabBar;

// A tab control with its tabs in one column at the right edge. AdjustPageRect gives the pages
// the whole control without the standard frame, up to a 22-pixel column at the right where the
// tabs stand, and starts them 10 pixels above the standard top.
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
    static QRect AdjustPageRect(const QSize &client, int computedTop);
    static constexpr int tabColumnWidth = 22;
    static constexpr int standardTop = 2; // the top of the standard framed page area

signals:
    void currentChanged(int index);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QTabBar *m_tabs;
    QStackedWidget *m_pages;
};
