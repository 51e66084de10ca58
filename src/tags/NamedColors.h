#pragma once

#include <QColor>
#include <QList>
#include <QString>

// The standard named colours the tag rules and the screens use. One table holds their values,
// so a tag badge, a group header and a colour-picker swatch always agree.
enum class NamedColor {
    red,
    orange,
    yellow,
    green,
    teal,
    cyan,
    blue,
    purple,
    pink,
    brown,
    gray,
    // The muted colour of secondary text.
    secondary,
};

namespace NamedColors {

// The colour's value, fully opaque except `secondary`, which is a translucent dark grey so that
// it reads as muted on any light background. Values (sRGB, light appearance):
//
//   red       #FF3B30     orange  #FF9500     yellow  #FFCC00     green   #28CD41
//   teal      #30B0C7     cyan    #32ADE6     blue    #007AFF     purple  #AF52DE
//   pink      #FF2D55     brown   #A2845E     gray    #8E8E93
//   secondary #3C3C43 at opacity 0.6
QColor color(NamedColor name);

// `color(name)` with its opacity multiplied by `opacity` (0...1).
QColor color(NamedColor name, double opacity);

// The colour's name in lower case ("orange", "secondary").
QString name(NamedColor color);

// Every named colour, in declaration order.
QList<NamedColor> all();

} // namespace NamedColors
