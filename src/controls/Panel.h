#pragma once

#include <QWidget>

// A plain panel: a colour, an optional caption, and a raised or sunken bevel.
class TPanel : public QWidget
{
    Q_OBJECT

public:
    enum class Bevel { None, Raised, Lowered };

    explicit TPanel(QWidget *parent = nullptr);

    // A number the owner keeps on the control, as the original controls' Tag.
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    QColor fontColor() const { return m_fontColor; }
    void setFontColor(const QColor &color);
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);
    Bevel bevelOuter() const { return m_bevel; }
    void setBevelOuter(Bevel bevel);
    int bevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int width);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color = QColor(0xF0, 0xF0, 0xF0);
    QColor m_fontColor = Qt::black;
    QString m_caption;
    Qt::Alignment m_alignment = Qt::AlignCenter;
    Bevel m_bevel = Bevel::None;
    int m_bevelWidth = 1;
    int m_tag = 0;
};
