#include "tags/TagStyle.h"

#include "tags/CustomTagManager.h"
#include "ui/Theme.h"

#include <QGuiApplication>

namespace TagStyle {

QFont systemFont(qreal points, QFont::Weight weight)
{
    QFont font = QGuiApplication::font();
    const qreal body = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
    font.setPointSizeF(body * points / 13.0);
    font.setWeight(weight);
    return font;
}

QColor displayColor(const TagRules::Swatch& swatch)
{
    if (swatch.color == NamedColor::secondary)
        return Theme::withOpacity(Theme::secondaryText(), swatch.opacity);
    return swatch.toColor();
}

QColor keywordDisplayColor(const QString& tag)
{
    return displayColor(TagRules::keywordSwatch(tag));
}

QColor projectDisplayColor(const RecentFolder& project, const CustomTagManager& tags)
{
    // The same order as TagRules::projectColor; only the last step differs, where the keyword
    // colour follows the palette.
    if (project.customColorHex) {
        if (std::optional<QColor> own = CustomTagManager::colorFromHex(*project.customColorHex))
            return *own;
    }
    const QString tag = TagRules::effectiveTag(project);
    if (std::optional<QString> hex = tags.colorHexForTag(tag)) {
        if (std::optional<QColor> custom = CustomTagManager::colorFromHex(*hex))
            return *custom;
    }
    return keywordDisplayColor(tag);
}

} // namespace TagStyle
