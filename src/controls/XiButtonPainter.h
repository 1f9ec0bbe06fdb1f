#pragma once

#include "XiSchemes.h"

#include <QFont>
#include <QImage>
#include <QRegion>
#include <QString>
#include <QStringList>

#include <functional>

class QPainter;

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom, blGlyphCenter };

// Everything one paint of a gradient button depends on.
struct XiPaintState
{
    enum class Look { Normal, Over, Down };

    QSize size;
    QString caption;
    QFont font;
    XiColors colors;
    TColorScheme scheme = TColorScheme::csSilver;
    Look look = Look::Normal;
    bool focused = false;
    bool enabled = true;
    bool ctl3D = true;
    bool gradient = true;
    bool rounded = false;
    bool verticalText = false;
    bool nyRadbryt = false;
    bool transparentGlyph = true;
    bool menuButton = false;
    bool staticButton = false;
    bool deleteButton = false;
    TButtonLayout layout = TButtonLayout::blGlyphLeft;
    int spacing = 4;
    QImage glyph;
    int dailyStock = -99;
    QString extraCaption, captionUpperLeft, captionUpperRight, captionDownRight, captionPrice;
    QColor parentBackground = Qt::white;
    bool parentIsButtonFace = false;
};

// The six colours of the set the button shows: the look's set, the over set when focused, the
// disabled set when disabled. Indexed by role (face 0 … text 5).
std::array<QColor, 6> activeColorSet(const XiPaintState &s);

// The colour of the menu and static marks.
QColor markColor(const XiPaintState &s);

// Row y of the gradient from face to grad over height h, halves rounded to even.
QColor gradientRow(const QColor &face, const QColor &grad, int y, int h);

// Where the glyph's top-left corner goes.
QPoint glyphPosition(const XiPaintState &s, const QSize &glyphSize, int captionWidth,
                     int captionHeight);

// The lines of a caption that needs more than one line (up to four), and how far its vertical
// position moves (0 or -10). measure gives a text's width in the button's font.
struct CaptionLines
{
    QStringList lines;
    int tyShift = 0;
};
CaptionLines splitCaption(const QString &caption, bool nyRadbryt, int width,
                          const std::function<int(const QString &)> &measure);
bool needsMultiLine(const XiPaintState &s, int captionWidth);

// Steps 1 to 11 of a paint: the whole button, into an off-screen image of its size.
QImage paintButtonImage(const XiPaintState &s);
// The marks drawn over the copied image.
void paintButtonMarks(QPainter &p, const XiPaintState &s);
// The visible area of a rounded button.
QRegion roundedClipRegion(const QSize &size);
