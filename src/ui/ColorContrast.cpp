#include "ui/ColorContrast.h"

#include <algorithm>
#include <cmath>

namespace ColorContrast {

namespace {

double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

// Colours are judged as they are painted, in 8 bits per channel.
QColor painted(const QColor& color)
{
    return QColor(color.rgb());
}

QColor withLightness(const QColor& color, double lightness)
{
    return painted(QColor::fromHslF(color.hslHueF(), color.hslSaturationF(), float(lightness)));
}

} // namespace

double luminance(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

double ratio(const QColor& first, const QColor& second)
{
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor composite(const QColor& top, const QColor& bottom)
{
    const QColor over = top.toRgb();
    const QColor under = bottom.toRgb();
    const double alpha = over.alphaF();
    const auto mix = [alpha](double a, double b) { return float(a * alpha + b * (1 - alpha)); };
    return QColor::fromRgbF(mix(over.redF(), under.redF()), mix(over.greenF(), under.greenF()),
                            mix(over.blueF(), under.blueF()));
}

QColor readable(const QColor& text, const QColor& background, double minimum)
{
    const QColor shown = painted(composite(text, background));
    if (ratio(shown, background) >= minimum)
        return shown;

    // Luminance grows with HSL lightness at a fixed hue and saturation, so the least change is
    // found by halving the interval between the shown lightness and black or white. The
    // direction is the one whose end contrasts more with the background; at that end the ratio
    // is at least 4.58, more than any minimum asked for here.
    const double backgroundLuminance = luminance(background);
    const bool darken = (backgroundLuminance + 0.05) / 0.05 >= 1.05 / (backgroundLuminance + 0.05);
    double reaching = darken ? 0.0 : 1.0;
    double failing = shown.toHsl().lightnessF();
    for (int step = 0; step < 24; ++step) {
        const double middle = (reaching + failing) / 2;
        if (ratio(withLightness(shown, middle), background) >= minimum)
            reaching = middle;
        else
            failing = middle;
    }
    return withLightness(shown, reaching);
}

TintedText tinted(const QColor& color, double tintOpacity, const QColor& underlay,
                  const QColor& textColor)
{
    QColor tint = color;
    tint.setAlphaF(float(color.alphaF() * tintOpacity));
    TintedText result;
    result.background = composite(tint, composite(underlay, Qt::white));
    result.text = readable(textColor.isValid() ? textColor : color, result.background);
    return result;
}

} // namespace ColorContrast
