#include "XiSchemes.h"

#include <algorithm>

namespace {

QColor rgb(unsigned v)
{
    return QColor::fromRgb((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

XiColors fromTable(const std::array<unsigned, xiColorCount> &values)
{
    XiColors c;
    for (int i = 0; i < xiColorCount; ++i)
        c[i] = rgb(values[i]);
    return c;
}

QColor scaled(const QColor &c, double f)
{
    const auto ch = [f](int v) {
        return std::clamp(static_cast<int>(v * f + 0.5), 0, 255);
    };
    return QColor::fromRgb(ch(c.red()), ch(c.green()), ch(c.blue()));
}

QColor towardWhite(const QColor &c, double f)
{
    const auto ch = [f](int v) {
        return static_cast<int>(v + (255 - v) * f + 0.5);
    };
    return QColor::fromRgb(ch(c.red()), ch(c.green()), ch(c.blue()));
}

// csSilver's disabled set, shared by every classic scheme.
constexpr std::array<unsigned, 6> classicDisabled = {0xE2E2E2, 0xFFFFFF, 0xD8D8D8,
                                                     0xEAEAEA, 0xC4C4C4, 0x808080};

// A classic scheme from its normal face, grad, border and text, shaded as csSilver is: darker
// edges below, a light edge above, a darker face when pointed at, inverted edges when pressed.
XiColors classic(unsigned face, unsigned grad, unsigned border, unsigned text)
{
    const QColor f = rgb(face), g = rgb(grad), b = rgb(border), t = rgb(text);
    XiColors c;
    const QColor normal[6] = {f, g, scaled(g, 0.92), towardWhite(f, 0.7), b, t};
    const QColor over[6] = {scaled(f, 0.92),     scaled(g, 0.88), scaled(g, 0.64),
                            towardWhite(f, 0.5), scaled(b, 1.0),  t};
    const QColor down[6] = {scaled(f, 0.94), towardWhite(g, 0.3), towardWhite(f, 0.4),
                            scaled(g, 0.66), scaled(b, 0.8),      t};
    for (int i = 0; i < 6; ++i) {
        c[ColorFace + i] = normal[i];
        c[OverColorFace + i] = over[i];
        c[DownColorFace + i] = down[i];
        c[DisabledColorFace + i] = rgb(classicDisabled[i]);
    }
    c[ColorFocusRect] = rgb(0x8A8A8A);
    return c;
}

// A skin scheme: flat sets, a darker flat face when pointed at or pressed, csGraySkin's
// disabled set.
XiColors skin(unsigned face, unsigned border, unsigned text)
{
    const QColor f = rgb(face), b = rgb(border), t = rgb(text);
    const QColor o = scaled(f, 0.82);
    XiColors c;
    for (int i = 0; i < 4; ++i) {
        c[ColorFace + i] = f;
        c[OverColorFace + i] = o;
        c[DownColorFace + i] = o;
    }
    c[ColorBorder] = b;
    c[ColorText] = t;
    c[OverColorBorder] = c[DownColorBorder] = scaled(b, 0.85);
    c[OverColorText] = c[DownColorText] = t;
    const unsigned disabled[6] = {0xE0DFE3, 0xE0DFE3, 0xE0DFE3, 0xE0DFE3, 0xC8C8C8, 0xACA899};
    for (int i = 0; i < 6; ++i)
        c[DisabledColorFace + i] = rgb(disabled[i]);
    c[ColorFocusRect] = rgb(0x808080);
    return c;
}

} // namespace

std::optional<XiColors> schemeColors(TColorScheme scheme)
{
    using S = TColorScheme;
    switch (scheme) {
    // One line a colour set: face, grad, dark, light, border, text.
    // clang-format off
    case S::csSilver:
        return fromTable({0xE0E0E0, 0xBCBCBC, 0xAEAEAE, 0xF7F7F7, 0x626262, 0x000000,
                          0xCFCFCF, 0xA6A6A6, 0x797979, 0xEEEEEE, 0x757575, 0x000000,
                          0xD3D3D3, 0xDADADA, 0xE9E9E9, 0x7C7C7C, 0x4E4E4E, 0x000000,
                          0xE2E2E2, 0xFFFFFF, 0xD8D8D8, 0xEAEAEA, 0xC4C4C4, 0x808080, 0x8A8A8A});
    case S::csGraySkin:
        return fromTable({0xE0DFE3, 0xE0DFE3, 0xE0DFE3, 0xE0DFE3, 0xB2B4C0, 0x000000,
                          0xA8ABAC, 0xA8ABAC, 0xA8ABAC, 0xA8ABAC, 0x767A7C, 0xFFFFFF,
                          0xA8ABAC, 0xA8ABAC, 0xA8ABAC, 0xA8ABAC, 0x767A7C, 0xFFFFFF,
                          0xE0DFE3, 0xE0DFE3, 0xE0DFE3, 0xE0DFE3, 0xC8C8C8, 0xACA899, 0x808080});
    case S::csGrassSkin:
        return fromTable({0xB7EB98, 0xB7EB98, 0xB7EB98, 0xB7EB98, 0x91E061, 0x000000,
                          0x9CE371, 0x9CE371, 0x9CE371, 0x9CE371, 0x94E065, 0x000000,
                          0x9CE371, 0x9CE371, 0x9CE371, 0x9CE371, 0x94E065, 0x000000,
                          0xE0DFE3, 0xE0DFE3, 0xE0DFE3, 0xE0DFE3, 0xC8C8C8, 0xACA899, 0x808080});
    case S::csRedSkin:
        return fromTable({0xFFC6C6, 0xFFC6C6, 0xFFC6C6, 0xFFC6C6, 0xFF9393, 0x000000,
                          0xFFB0B0, 0xFFB0B0, 0xFFB0B0, 0xFFB0B0, 0xFF9393, 0x000000,
                          0xFFB0B0, 0xFFB0B0, 0xFFB0B0, 0xFFB0B0, 0xFF9393, 0x000000,
                          0xFF9393, 0xFFB0B0, 0xFFB0B0, 0xFFB0B0, 0xFFB0B0, 0xFF9393, 0xFF6A6A});
    // clang-format on
    case S::csCustom:
        return std::nullopt;
    case S::csDesert:
        return classic(0xFFDD95, 0xFFBE37, 0x805600, 0x000000);
    case S::csGrass:
        return classic(0xB7EB98, 0x8EDF5E, 0x376F15, 0x000000);
    case S::csSky:
        return classic(0xC1E0FF, 0x6CB6FF, 0x0059B3, 0x000000);
    case S::csSun:
        return classic(0xFFFFA8, 0xF9D820, 0x646400, 0x000000);
    case S::csRose:
        return classic(0xFFC6C6, 0xFF9595, 0x9D0000, 0x000000);
    case S::csSvart:
        return classic(0x2E2E2E, 0x000000, 0x626262, 0xFFFFFF);
    case S::csRod:
        return classic(0xFD0000, 0xC10000, 0x9D0000, 0xFFFFFF);
    case S::csGron:
        return classic(0x54AA20, 0x397416, 0x376F15, 0x000000);
    case S::csGul:
        return classic(0xFFFF00, 0xD9D900, 0x805600, 0x000000);
    case S::csBla:
        return classic(0x0059B3, 0x0059B3, 0x0059B3, 0xFFFFFF);
    case S::csVit:
        return classic(0xFFFFFF, 0xE5E5E5, 0x626262, 0x000000);
    case S::csLila:
        return classic(0xBB00BB, 0x800080, 0x8000FF, 0xFFFFFF);
    case S::csOrange:
        return classic(0xFF9E3E, 0xD56A00, 0x805600, 0x000000);
    case S::csGra:
        return classic(0x626262, 0xBCBCBC, 0x626262, 0xFFFFFF);
    case S::csGulSkin:
        return skin(0xFFFF00, 0xD9D900, 0x000000);
    case S::csBlaSkin:
        return skin(0x0079F2, 0x0059B3, 0xFFFFFF);
    case S::csDarkSkin:
        return skin(0x4D4954, 0x24252D, 0xFFFFFF);
    }
    return std::nullopt;
}

bool schemeHasWhiteFont(TColorScheme scheme)
{
    return scheme == TColorScheme::csSvart || scheme == TColorScheme::csLila;
}
