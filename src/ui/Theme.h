#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QWidget;

// The colours and type sizes the screens use, read from the application's palette and font so
// that they follow a light or a dark desktop theme.
namespace Theme {

// Colours by role.
QColor accent();
QColor primaryText();
QColor secondaryText();
QColor controlBackground();
QColor textBackground();
QColor separator();

// `color` with its alpha multiplied by `opacity` (0 to 1).
QColor withOpacity(const QColor& color, qreal opacity);

// The colour as a style sheet value, "rgba(r, g, b, a)".
QString cssColor(const QColor& color);

// `text` as it must be drawn over `background` (the window background when invalid) to read
// well: the same hue, darker or lighter where needed (see ColorContrast::readable).
QColor readable(const QColor& text, const QColor& background = QColor());

// Gives `widget` its own text colour (the palette's window text role): `color`, made readable
// on `background` (the window background when invalid).
void setTextColor(QWidget* widget, const QColor& color, const QColor& background = QColor());
// The same, and also the colour of text typed into the widget (the text role).
void setTextAndInputColor(QWidget* widget, const QColor& color,
                          const QColor& background = QColor());

// True when the window background is darker than its text.
bool isDark();

// Type sizes by role, derived from the application's body font.
enum class TextStyle {
    largeTitle,
    title,
    title2,
    headline,
    body,
    subheadline,
    caption,
    caption2,
};

QFont font(TextStyle style);
// The size between the headline and the second-level title, for the main tab's large buttons and
// its tag chip.
QFont mediumLarge(QFont::Weight weight);
QFont font(TextStyle style, QFont::Weight weight);
// The body size in a fixed-pitch face.
QFont monospaced();

} // namespace Theme
