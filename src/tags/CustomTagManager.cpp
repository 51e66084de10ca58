#include "tags/CustomTagManager.h"

#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "tags/UnicodeText.h"

#include <algorithm>
#include <cmath>

namespace {

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

int hexValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    return c.unicode() - u'A' + 10;
}

// One channel: the component times 255, in single precision, rounded half away from zero and
// never clamped. None when the product cannot be held in a signed 64-bit integer.
std::optional<qint64> channelValue(double component)
{
    const float scaled = static_cast<float>(component * 255.0);
    if (!std::isfinite(scaled))
        return std::nullopt;
    const float rounded = std::round(scaled);
    // 2^63 is exactly representable as a float; anything at or beyond it does not fit.
    constexpr float limit = 9223372036854775808.0f;
    if (rounded >= limit || rounded < -limit)
        return std::nullopt;
    return static_cast<qint64>(rounded);
}

// Upper-case hexadecimal with at least two digits; a negative value prints as its 64-bit two's
// complement.
QString formatChannel(qint64 value)
{
    return QString::number(static_cast<quint64>(value), 16).toUpper().rightJustified(2, u'0');
}

} // namespace

CustomTagManager::CustomTagManager(Preferences& preferences, QObject* parent)
    : QObject(parent)
    , m_preferences(preferences)
{
    loadTags();
}

CustomTagManager& CustomTagManager::shared()
{
    // Lives until the process ends, like the preference store it writes to.
    static CustomTagManager* manager = new CustomTagManager(Preferences::standard());
    return *manager;
}

QLatin1StringView CustomTagManager::storageKey() const
{
    return PreferenceKeys::savedCustomTags;
}

void CustomTagManager::loadTags()
{
    const std::optional<QByteArray> stored = m_preferences.bytes(storageKey());
    std::optional<QList<CustomTagDefinition>> decoded;
    if (stored)
        decoded = CustomTagCodec::decode(*stored);
    if (!decoded) {
        // Kept (when present) before the next save replaces it.
        m_preferences.keepOriginal(QString(storageKey()));
        return;
    }
    replaceTags(std::move(*decoded));
}

void CustomTagManager::persistTags()
{
    m_preferences.setBytes(storageKey(), CustomTagCodec::encode(m_savedTags));
}

void CustomTagManager::saveTag(const QString& name, const QString& colorHex)
{
    QList<CustomTagDefinition> tags = m_savedTags;
    const QString key = UnicodeText::caselessKey(name);
    auto match = std::find_if(tags.begin(), tags.end(), [&](const CustomTagDefinition& tag) {
        return UnicodeText::caselessKey(tag.name) == key;
    });
    if (match != tags.end())
        *match = CustomTagDefinition{name, colorHex};
    else
        tags.append(CustomTagDefinition{name, colorHex});
    replaceTags(std::move(tags));
    persistTags();
}

void CustomTagManager::deleteTag(const QString& name)
{
    QList<CustomTagDefinition> tags = m_savedTags;
    const QString key = UnicodeText::caselessKey(name);
    tags.removeIf(
        [&](const CustomTagDefinition& tag) { return UnicodeText::caselessKey(tag.name) == key; });
    replaceTags(std::move(tags));
    persistTags();
}

std::optional<QString> CustomTagManager::colorHexForTag(const QString& name) const
{
    const QString key = UnicodeText::caselessKey(name);
    for (const CustomTagDefinition& tag : m_savedTags) {
        if (UnicodeText::caselessKey(tag.name) == key)
            return tag.colorHex;
    }
    return std::nullopt;
}

void CustomTagManager::replaceTags(QList<CustomTagDefinition> tags)
{
    if (tags == m_savedTags)
        return;
    Q_EMIT savedTagsAboutToChange();
    m_savedTags = std::move(tags);
    Q_EMIT savedTagsChanged();
}

std::optional<QColor> CustomTagManager::colorFromHex(const QString& text)
{
    QString digits = text.trimmed();
    digits.remove(u'#');

    qsizetype pos = 0;
    if (digits.size() >= 2 && digits[0] == u'0' && (digits[1] == u'x' || digits[1] == u'X'))
        pos = 2;
    const qsizetype firstDigit = pos;
    quint64 value = 0;
    while (pos < digits.size() && isHexDigit(digits[pos])) {
        // Only 6 or 8 characters in all are accepted below, so at most 8 digits matter; the
        // shift stops before the value could overflow on longer texts.
        if (pos - firstDigit < 16)
            value = (value << 4) | static_cast<quint64>(hexValue(digits[pos]));
        ++pos;
    }
    if (pos == firstDigit)
        return std::nullopt;

    // The length of the whole remaining text decides the layout, not the number of digits read.
    switch (digits.size()) {
    case 6:
        return QColor(int((value >> 16) & 0xFF), int((value >> 8) & 0xFF), int(value & 0xFF));
    case 8:
        return QColor(int((value >> 24) & 0xFF), int((value >> 16) & 0xFF),
                      int((value >> 8) & 0xFF), int(value & 0xFF));
    default:
        return std::nullopt;
    }
}

std::optional<QString> CustomTagManager::hexFromColor(const QColor& color)
{
    if (!color.isValid())
        return std::nullopt;
    // HSV, HSL and CMYK colours are other notations of the same sRGB colour, so their red, green
    // and blue are read without any colour-space conversion; extended-range colours keep their
    // out-of-range components.
    return hexFromComponents({color.redF(), color.greenF(), color.blueF(), color.alphaF()});
}

std::optional<QString> CustomTagManager::hexFromComponents(const QList<double>& components)
{
    if (components.isEmpty())
        return std::nullopt;
    const double red = components[0];
    const double green = components.size() >= 2 ? components[1] : components[0];
    const double blue = components.size() >= 3 ? components[2] : components[0];
    const std::optional<qint64> r = channelValue(red);
    const std::optional<qint64> g = channelValue(green);
    const std::optional<qint64> b = channelValue(blue);
    if (!r || !g || !b)
        return std::nullopt;
    return QString(QStringLiteral("#") + formatChannel(*r) + formatChannel(*g) + formatChannel(*b));
}
