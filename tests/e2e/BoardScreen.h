#pragma once

// Where the board on a 1920 × 1080 screen shows things, and what a screenshot of it shows.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>

#include <cstdlib>

namespace BoardScreen {

// The board on a 1920 × 1080 screen: its pages start at the top bar's bottom edge, 1044 high,
// so rows are 348 high with 1 pixel between them.
constexpr int pageTop = 36;
constexpr int rowH = 348;

inline QPoint footer(int column, int row)
{
    return {column * 227 + 120, pageTop + (row - 1) * (rowH + 1) + rowH - 15};
}

inline QPoint okButton(int column, int row)
{
    return {column * 227 + 190 + 17, footer(column, row).y()};
}

// The house at the right end of the top bar, which closes the board.
inline QPoint closeButton()
{
    return {1920 - 344 + 302 + 20, 17};
}

inline bool near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) < 12 && std::abs(a.green() - b.green()) < 12
        && std::abs(a.blue() - b.blue()) < 12;
}

inline const QColor green(0x7C, 0xD5, 0x6C), yellow(0xE9, 0xE1, 0x58), red(0xED, 0x9C, 0x9A);

// Whether the status line shows text: its picture compared with the text drawn the same way.
inline bool statusShows(const QImage &shot, const QString &text)
{
    const QRect area(1920 - 344, 0, 249, 36);
    QImage expected(area.size(), QImage::Format_RGB32);
    expected.fill(Qt::black);
    {
        QPainter p(&expected);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(13);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(expected.rect().adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    const QImage actual = shot.copy(area);
    int inked = 0, differ = 0;
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x) {
            const bool e = qGray(expected.pixel(x, y)) > 110;
            const bool a = qGray(actual.pixel(x, y)) > 110;
            inked += e || a;
            differ += e != a;
        }
    return inked > 20 && differ * 100 < inked * 25;
}

inline bool statusEmpty(const QImage &shot)
{
    const QImage area = shot.copy(1920 - 344, 0, 249, 36);
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            if (qGray(area.pixel(x, y)) > 60)
                return false;
    return true;
}

} // namespace BoardScreen
