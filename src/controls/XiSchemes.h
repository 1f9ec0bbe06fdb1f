#pragma once

#include <QColor>

#include <array>
#include <optional>

// The 22 named colour schemes of the gradient button, in their published order.
enum class TColorScheme {
    csDesert,
    csGrass,
    csSky,
    csSun,
    csRose,
    csSilver,
    csCustom,
    csSvart,
    csRod,
    csGron,
    csGul,
    csBla,
    csVit,
    csLila,
    csOrange,
    csGra,
    csGraySkin,
    csRedSkin,
    csGrassSkin,
    csGulSkin,
    csBlaSkin,
    csDarkSkin
};
constexpr int colorSchemeCount = 22;

// The 25 colours of a button; the enumerator is the colour's index in the property list.
enum XiColor {
    ColorFace,
    ColorGrad,
    ColorDark,
    ColorLight,
    ColorBorder,
    ColorText,
    OverColorFace,
    OverColorGrad,
    OverColorDark,
    OverColorLight,
    OverColorBorder,
    OverColorText,
    DownColorFace,
    DownColorGrad,
    DownColorDark,
    DownColorLight,
    DownColorBorder,
    DownColorText,
    DisabledColorFace,
    DisabledColorGrad,
    DisabledColorDark,
    DisabledColorLight,
    DisabledColorBorder,
    DisabledColorText,
    ColorFocusRect
};
constexpr int xiColorCount = 25;

using XiColors = std::array<QColor, xiColorCount>;

// The colours a scheme sets; none for csCustom, which keeps the colours the button has.
std::optional<XiColors> schemeColors(TColorScheme scheme);

// csSvart and csLila also turn the button's font white.
bool schemeHasWhiteFont(TColorScheme scheme);
