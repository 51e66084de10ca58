#include "ui/Theme.h"

#include "ui/ColorContrast.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QWidget>

namespace Theme {

namespace {

QPalette palette()
{
    return QGuiApplication::palette();
}

// Point sizes relative to a 13-point body, as desktop type ramps use them.
qreal scaleFor(TextStyle style)
{
    switch (style) {
    case TextStyle::largeTitle:
        return 26.0 / 13.0;
    case TextStyle::title:
        return 22.0 / 13.0;
    case TextStyle::title2:
        return 17.0 / 13.0;
    case TextStyle::headline:
        return 1.0;
    case TextStyle::body:
        return 1.0;
    case TextStyle::subheadline:
        return 11.0 / 13.0;
    case TextStyle::caption:
        return 10.0 / 13.0;
    case TextStyle::caption2:
        return 10.0 / 13.0;
    }
    return 1.0;
}

QFont::Weight defaultWeight(TextStyle style)
{
    switch (style) {
    case TextStyle::headline:
        return QFont::DemiBold;
    default:
        return QFont::Normal;
    }
}

} // namespace

QColor accent()
{
    return palette().color(QPalette::Highlight);
}

QColor primaryText()
{
    return palette().color(QPalette::WindowText);
}

QColor secondaryText()
{
    return palette().color(QPalette::PlaceholderText);
}

QColor controlBackground()
{
    return palette().color(QPalette::Window);
}

QColor textBackground()
{
    return palette().color(QPalette::Base);
}

QColor separator()
{
    return withOpacity(primaryText(), 0.15);
}

QColor withOpacity(const QColor& color, qreal opacity)
{
    QColor result = color;
    result.setAlphaF(color.alphaF() * opacity);
    return result;
}

QString cssColor(const QColor& color)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(QString::number(color.alphaF(), 'f', 3));
}

QColor readable(const QColor& text, const QColor& background)
{
    return ColorContrast::readable(text, background.isValid() ? background : controlBackground());
}

void setTextColor(QWidget* widget, const QColor& color, const QColor& background)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, readable(color, background));
    widget->setPalette(palette);
}

void setTextAndInputColor(QWidget* widget, const QColor& color, const QColor& background)
{
    const QColor shown = readable(color, background);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, shown);
    palette.setColor(QPalette::Text, shown);
    widget->setPalette(palette);
}

bool isDark()
{
    return palette().color(QPalette::Window).lightnessF() <
           palette().color(QPalette::WindowText).lightnessF();
}

QFont font(TextStyle style)
{
    return font(style, defaultWeight(style));
}

QFont font(TextStyle style, QFont::Weight weight)
{
    QFont result = QGuiApplication::font();
    const qreal base = result.pointSizeF() > 0 ? result.pointSizeF() : 10.0;
    result.setPointSizeF(base * scaleFor(style));
    result.setWeight(weight);
    return result;
}

QFont mediumLarge(QFont::Weight weight)
{
    QFont result = font(TextStyle::body, weight);
    result.setPointSizeF(result.pointSizeF() * 15.0 / 13.0);
    return result;
}

QFont monospaced()
{
    QFont result = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const qreal base = QGuiApplication::font().pointSizeF();
    if (base > 0)
        result.setPointSizeF(base);
    return result;
}

} // namespace Theme
