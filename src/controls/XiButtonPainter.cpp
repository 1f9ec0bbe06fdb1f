#include "XiButtonPainter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

int up(int n)
{
    return n / 2 + n % 2;
}

// A line from a to b without its end point, as the button's edges are drawn.
void lineTo(QPainter &p, QPoint a, QPoint b)
{
    if (a == b)
        return;
    const QPoint step((b.x() > a.x()) - (b.x() < a.x()), (b.y() > a.y()) - (b.y() < a.y()));
    p.drawLine(a, b - step);
}

QImage maskedGlyph(const QImage &glyph, bool transparent)
{
    QImage g = glyph.convertToFormat(QImage::Format_ARGB32);
    if (!transparent || g.isNull())
        return g;
    const QRgb key = g.pixel(0, 0);
    for (int y = 0; y < g.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(g.scanLine(y));
        for (int x = 0; x < g.width(); ++x) {
            if (row[x] == key)
                row[x] = 0;
        }
    }
    return g;
}

void drawCornerTexts(QPainter &p, const XiPaintState &s)
{
    const int W = s.size.width();
    const int H = s.size.height();
    const int inset = s.rounded ? 7 : 1;
    QFont font = p.font();
    const auto draw = [&p](const QRect &r, const QString &t) {
        p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, t);
    };
    if (!s.extraCaption.isEmpty()) {
        if (s.dailyStock <= 0 && s.dailyStock != -99)
            p.setPen(QColor(0xFF, 0, 0));
        font.setPointSize(8);
        p.setFont(font);
        const QFontMetrics fm(font);
        const int h = fm.height(); // measured on the caption at this size
        draw(QRect(inset, H - h, fm.horizontalAdvance(s.extraCaption), 2 * h), s.extraCaption);
    }
    if (!s.captionUpperLeft.isEmpty()) {
        p.setPen(s.colors[ColorText]);
        font.setPointSize(9);
        p.setFont(font);
        const QFontMetrics fm(font);
        draw(QRect(s.rounded ? 7 : 2, 1, fm.horizontalAdvance(s.captionUpperLeft), 2 * fm.height()),
             s.captionUpperLeft);
    }
    if (!s.captionDownRight.isEmpty()) {
        font.setPointSize(8);
        p.setFont(font);
        const QFontMetrics fm(font);
        const int w = fm.horizontalAdvance(s.captionDownRight);
        draw(QRect(W - w - inset, H - fm.height(), w, 2 * fm.height()), s.captionDownRight);
    }
    if (!s.captionPrice.isEmpty()) {
        font.setPointSize(12);
        font.setBold(true);
        font.setItalic(true);
        p.setFont(font);
        const QFontMetrics fm(font);
        const int w = fm.horizontalAdvance(s.captionPrice);
        draw(QRect(W - w - inset, H - 2 * fm.height() + 5, w, 2 * fm.height()), s.captionPrice);
    }
    if (!s.captionUpperRight.isEmpty()) {
        font.setPointSize(8);
        p.setFont(font);
        const QFontMetrics fm(font);
        const int w = fm.horizontalAdvance(s.captionUpperRight);
        draw(QRect(W - w - inset, 1, w, 2 * fm.height()), s.captionUpperRight);
    }
}

// The largest n (counted down from the text's length) whose first n characters fit in width,
// moved back to the last blank at or before it when the n-th character is not a blank.
qsizetype fittingBreak(const QString &text, int width,
                       const std::function<int(const QString &)> &measure)
{
    qsizetype n = text.size();
    while (n > 0 && measure(text.left(n)) > width)
        --n;
    if (n > 0 && text.at(n - 1) != u' ') {
        const qsizetype blank = text.lastIndexOf(u' ', n - 1);
        if (blank >= 0)
            n = blank + 1;
    }
    return n;
}

} // namespace

std::array<QColor, 6> activeColorSet(const XiPaintState &s)
{
    int first = ColorFace;
    if (s.look == XiPaintState::Look::Over)
        first = OverColorFace;
    else if (s.look == XiPaintState::Look::Down)
        first = DownColorFace;
    if (s.focused)
        first = OverColorFace;
    if (!s.enabled)
        first = DisabledColorFace;
    std::array<QColor, 6> set;
    for (int i = 0; i < 6; ++i)
        set[i] = s.colors[first + i];
    return set;
}

QColor markColor(const XiPaintState &s)
{
    if (s.scheme == TColorScheme::csGraySkin || s.scheme == TColorScheme::csDarkSkin)
        return QColor(0x76, 0x7A, 0x7C);
    return activeColorSet(s)[2];
}

QColor gradientRow(const QColor &face, const QColor &grad, int y, int h)
{
    const auto channel = [y, h](int f, int g) {
        return static_cast<int>(std::nearbyint(f + static_cast<double>(y) * (g - f) / h));
    };
    return QColor::fromRgb(channel(face.red(), grad.red()), channel(face.green(), grad.green()),
                           channel(face.blue(), grad.blue()));
}

QPoint glyphPosition(const XiPaintState &s, const QSize &g, int tw, int th)
{
    const int W = s.size.width();
    const int H = s.size.height();
    const int tx = (W - tw) / 2;
    const int ty = (H - th) / 2;
    const int S = s.spacing;
    const bool caption = !s.caption.isEmpty();
    int gx = 0;
    int gy = 0;
    switch (s.layout) {
    case TButtonLayout::blGlyphLeft:
        gx = tx - g.width() / 2 - (caption ? up(S) : 0);
        gy = (H - g.height()) / 2;
        break;
    case TButtonLayout::blGlyphRight:
        gx = tx + tw - g.width() / 2 + (caption ? up(S) : 0);
        gy = (H - g.height()) / 2;
        break;
    case TButtonLayout::blGlyphTop:
    case TButtonLayout::blGlyphCenter:
        gx = (W - g.width()) / 2;
        gy = ty - up(g.height()) - (caption ? up(S) : 0);
        break;
    case TButtonLayout::blGlyphBottom:
        gx = (W - g.width()) / 2;
        gy = ty + th - g.height() / 2 + (caption ? up(S) : 0);
        break;
    }
    if (s.look == XiPaintState::Look::Down)
        return {gx + 1, gy + 1};
    return {gx, gy};
}

bool needsMultiLine(const XiPaintState &s, int captionWidth)
{
    return (captionWidth > s.size.width() && !s.verticalText)
        || (s.nyRadbryt && s.caption.contains(QStringLiteral("  ")));
}

CaptionLines splitCaption(const QString &caption, bool nyRadbryt, int width,
                          const std::function<int(const QString &)> &measure)
{
    CaptionLines out;
    if (nyRadbryt && caption.contains(QStringLiteral("  "))) {
        out.lines = caption.split(QStringLiteral("  ")).mid(0, 4);
        if (out.lines.size() >= 3 && !out.lines[2].isEmpty())
            out.tyShift = -10;
        return out;
    }
    if (nyRadbryt) {
        const qsizetype n = fittingBreak(caption, width, measure);
        const QString rest = caption.mid(n);
        out.lines.append(caption.left(n));
        qsizetype m = rest.size();
        while (m > 0 && measure(rest.left(m)) > width)
            --m;
        if (rest.size() > m) {
            m = fittingBreak(rest.left(m), width, measure);
            out.lines.append(rest.left(m));
            out.lines.append(rest.mid(m));
            out.tyShift = -10;
        } else {
            out.lines.append(rest);
        }
        return out;
    }
    const qsizetype half = caption.size() / 2;
    out.lines = {caption.left(half), caption.mid(half)};
    return out;
}

QImage paintButtonImage(const XiPaintState &s)
{
    const int W = s.size.width();
    const int H = s.size.height();
    QImage image(s.size, QImage::Format_RGB32);
    image.fill(s.parentBackground);
    if (W <= 0 || H <= 0)
        return image;

    QPainter p(&image);
    const auto set = activeColorSet(s);
    const QColor &face = set[0], &grad = set[1], &dark = set[2], &light = set[3], &border = set[4],
                 &text = set[5];

    // Face.
    p.setPen(face);
    p.setBrush(face);
    p.drawRoundedRect(QRect(0, 0, W - 1, H - 1), 1.5, 1.5);
    if (s.gradient) {
        for (int y = 0; y < H; ++y) {
            p.setPen(gradientRow(face, grad, y, H));
            p.drawLine(0, y, W - 1, y);
        }
    }

    // Caption measurement and glyph.
    p.setFont(s.font);
    const QFontMetrics fm(s.font);
    const QString shown = QString(s.caption).remove(u'&');
    const int tw = fm.horizontalAdvance(shown);
    const int th = fm.height();
    int tx = (W - tw) / 2;
    int ty = (H - th) / 2;
    if (!s.glyph.isNull()) {
        const QSize g = s.glyph.size();
        const QPoint at = glyphPosition(s, g, tw, th);
        p.drawImage(at, maskedGlyph(s.glyph, s.transparentGlyph));
        const bool caption = !s.caption.isEmpty();
        switch (s.layout) {
        case TButtonLayout::blGlyphLeft:
            tx += g.width() / 2 + (caption ? s.spacing / 2 : 0);
            break;
        case TButtonLayout::blGlyphRight:
            tx -= g.width() / 2 + (caption ? s.spacing / 2 : 0);
            break;
        case TButtonLayout::blGlyphTop:
            ty += g.height() / 2 + (caption ? s.spacing / 2 : 0);
            break;
        case TButtonLayout::blGlyphBottom:
            ty -= g.height() / 2 + (caption ? s.spacing / 2 : 0);
            break;
        case TButtonLayout::blGlyphCenter:
            break;
        }
    }
    if (s.look == XiPaintState::Look::Down) {
        ++tx;
        ++ty;
    }

    // Caption.
    p.setPen(text);
    const int centred =
        Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextDontClip;
    if (needsMultiLine(s, tw)) {
        const auto measure = [&fm](const QString &t) {
            return fm.horizontalAdvance(t);
        };
        const CaptionLines lines = splitCaption(s.caption, s.nyRadbryt, W, measure);
        ty += lines.tyShift;
        const int k = (!s.captionUpperLeft.isEmpty() || !s.captionUpperRight.isEmpty()) ? 15 : 10;
        const QString l1 = lines.lines.value(0), l2 = lines.lines.value(1),
                      l3 = lines.lines.value(2), l4 = lines.lines.value(3);
        const int top1 = ty - th + k;
        p.drawText(QRect(tx, top1, tw, th), centred, l1);
        const int top2 = top1 + th - k;
        int left2 = tx;
        if (!s.captionPrice.isEmpty() && !l2.isEmpty()
            && W / 2 + fm.horizontalAdvance(l2) / 2 > W - fm.horizontalAdvance(s.captionPrice))
            left2 -= fm.horizontalAdvance(s.captionPrice);
        p.drawText(QRect(left2, top2, tx + tw - left2, 2 * th), centred, l2);
        const int top3 = top2 + th - 5;
        if (!l3.isEmpty())
            p.drawText(QRect(tx, top3, tw, 2 * th), centred, l3);
        if (!l4.isEmpty())
            p.drawText(QRect(tx, top3 + th - 5, tw, 2 * th), centred, l4);
    } else if (s.verticalText) {
        const qsizetype n = s.caption.size();
        int top = ty - static_cast<int>(th * n) / 2;
        for (QChar c : s.caption) {
            p.drawText(QRect(tx, top, tw, th), centred, QString(c));
            top += th;
        }
    } else {
        p.drawText(QRect(tx, ty, tw, th), centred, s.caption);
    }

    drawCornerTexts(p, s);

    // Edge.
    p.setBrush(Qt::NoBrush);
    if (!s.rounded) {
        p.setPen(border);
        p.drawRoundedRect(QRect(0, 0, W - 1, H - 1), 1.5, 1.5);
        if (s.ctl3D) {
            p.setPen(light);
            lineTo(p, {1, H - 2}, {1, 1});
            lineTo(p, {1, 1}, {W - 1, 1});
            p.setPen(dark);
            lineTo(p, {W - 2, 1}, {W - 2, H - 2});
            lineTo(p, {W - 2, H - 2}, {1, H - 2});
        }
        if (s.focused) {
            p.setPen(s.colors[ColorFocusRect]);
            p.drawRoundedRect(QRect(3, 3, W - 7, H - 7), 1.5, 1.5);
        }
    } else {
        QColor pen = grad;
        if (s.focused)
            pen = s.colors[ColorFocusRect];
        else if (s.scheme == TColorScheme::csSilver || s.scheme == TColorScheme::csVit)
            pen = QColor(0x80, 0x80, 0x80);
        const QColor bg = s.parentBackground;
        const bool silverGround =
            s.parentIsButtonFace || bg == QColor(Qt::white) || bg == QColor(0xC8, 0xC8, 0xC8);
        if ((s.scheme == TColorScheme::csSilver && silverGround)
            || (s.scheme != TColorScheme::csSilver && s.focused)) {
            p.setPen(pen);
            p.drawRoundedRect(QRect(0, 0, W - 2, H - 2), 10.5, 10.5);
        }
    }
    return image;
}

void paintButtonMarks(QPainter &p, const XiPaintState &s)
{
    const int W = s.size.width();
    const int H = s.size.height();
    const QColor mark = markColor(s);
    if (s.menuButton) {
        p.setPen(mark);
        for (int y : {H - 10, H - 8, H - 6})
            lineTo(p, {W - 13, y}, {W - 5, y});
    }
    if (s.staticButton)
        p.fillRect(QRect(QPoint(W - 11, 3), QPoint(W - 7, 7)), mark);
    if (s.deleteButton) {
        QFont font = s.font;
        font.setPointSize(12);
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(0xFF, 0, 0));
        p.drawText(QRect(W - 15, H - 25, 100, 100), Qt::AlignLeft | Qt::AlignTop,
                   QStringLiteral("X"));
    }
}

QRegion roundedClipRegion(const QSize &size)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, size.width(), size.height()), 10, 10);
    return QRegion(path.toFillPolygon().toPolygon());
}
