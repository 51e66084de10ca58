#include "tags/NamedColors.h"

namespace NamedColors {

QColor color(NamedColor name)
{
    switch (name) {
    case NamedColor::red:
        return QColor(0xFF, 0x3B, 0x30);
    case NamedColor::orange:
        return QColor(0xFF, 0x95, 0x00);
    case NamedColor::yellow:
        return QColor(0xFF, 0xCC, 0x00);
    case NamedColor::green:
        return QColor(0x28, 0xCD, 0x41);
    case NamedColor::teal:
        return QColor(0x30, 0xB0, 0xC7);
    case NamedColor::cyan:
        return QColor(0x32, 0xAD, 0xE6);
    case NamedColor::blue:
        return QColor(0x00, 0x7A, 0xFF);
    case NamedColor::purple:
        return QColor(0xAF, 0x52, 0xDE);
    case NamedColor::pink:
        return QColor(0xFF, 0x2D, 0x55);
    case NamedColor::brown:
        return QColor(0xA2, 0x84, 0x5E);
    case NamedColor::gray:
        return QColor(0x8E, 0x8E, 0x93);
    case NamedColor::secondary: {
        QColor muted(0x3C, 0x3C, 0x43);
        muted.setAlphaF(0.6f);
        return muted;
    }
    }
    return {};
}

QColor color(NamedColor name, double opacity)
{
    QColor result = color(name);
    result.setAlphaF(static_cast<float>(result.alphaF() * opacity));
    return result;
}

QString name(NamedColor color)
{
    switch (color) {
    case NamedColor::red:
        return QStringLiteral("red");
    case NamedColor::orange:
        return QStringLiteral("orange");
    case NamedColor::yellow:
        return QStringLiteral("yellow");
    case NamedColor::green:
        return QStringLiteral("green");
    case NamedColor::teal:
        return QStringLiteral("teal");
    case NamedColor::cyan:
        return QStringLiteral("cyan");
    case NamedColor::blue:
        return QStringLiteral("blue");
    case NamedColor::purple:
        return QStringLiteral("purple");
    case NamedColor::pink:
        return QStringLiteral("pink");
    case NamedColor::brown:
        return QStringLiteral("brown");
    case NamedColor::gray:
        return QStringLiteral("gray");
    case NamedColor::secondary:
        return QStringLiteral("secondary");
    }
    return {};
}

QList<NamedColor> all()
{
    return {NamedColor::red,  NamedColor::orange, NamedColor::yellow, NamedColor::green,
            NamedColor::teal, NamedColor::cyan,   NamedColor::blue,   NamedColor::purple,
            NamedColor::pink, NamedColor::brown,  NamedColor::gray,   NamedColor::secondary};
}

} // namespace NamedColors
