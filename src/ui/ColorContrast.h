#pragma once

#include <QColor>

// Contrast between a text colour and the colour behind it, as the web's accessibility
// guidelines measure it (relative luminance of sRGB colours, ratios from 1:1 to 21:1), and the
// nearest colour of the same hue that reads well enough.
namespace ColorContrast {

// The ratio ordinary text needs to read well (WCAG level AA).
constexpr double minimumTextRatio = 4.5;

// Relative luminance of the colour's opaque sRGB value, 0 (black) to 1 (white).
double luminance(const QColor& color);

// The contrast ratio of two opaque colours, 1 to 21, whichever is lighter.
double ratio(const QColor& first, const QColor& second);

// `top` painted over the opaque `bottom`: the opaque colour that shows.
QColor composite(const QColor& top, const QColor& bottom);

// The colour to draw `text` in over the opaque `background` so that it reaches `minimum`:
// the text as it shows (composited when translucent) when that is enough, otherwise the same
// hue and saturation made as much darker or lighter as needed, the least change that reaches
// the ratio. Always opaque.
QColor readable(const QColor& text, const QColor& background, double minimum = minimumTextRatio);

// A text drawn in a colour on a tint of the same colour (a badge, a chip).
struct TintedText {
    // The opaque colour behind the text: the tint over the underlay.
    QColor background;
    // The readable text colour on that background.
    QColor text;
};

// `color` at `tintOpacity` (times its own alpha) over the opaque `underlay`, with the text in
// `textColor` (the tint's colour when invalid) made readable on it.
TintedText tinted(const QColor& color, double tintOpacity, const QColor& underlay,
                  const QColor& textColor = QColor());

} // namespace ColorContrast
