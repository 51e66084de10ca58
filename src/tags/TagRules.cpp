#include "tags/TagRules.h"

#include "tags/CustomTagManager.h"
#include "tags/UnicodeText.h"

#include <initializer_list>

namespace TagRules {

namespace {

const QString shortenedMarker = QStringLiteral(".../");
const QString codingFolder = QStringLiteral("Coding");

bool containsAny(const QString& text, std::initializer_list<QLatin1StringView> needles)
{
    for (QLatin1StringView needle : needles) {
        if (text.contains(needle))
            return true;
    }
    return false;
}

} // namespace

const QStringList& suggestedTags()
{
    static const QStringList tags{
        QStringLiteral("Swift"),    QStringLiteral("Python"),  QStringLiteral("JavaScript"),
        QStringLiteral("HTML/CSS"), QStringLiteral("C++"),     QStringLiteral("C"),
        QStringLiteral("Go"),       QStringLiteral("Ruby"),    QStringLiteral("Java"),
        QStringLiteral("Kotlin"),   QStringLiteral("Rust"),    QStringLiteral("PHP"),
        QStringLiteral("Shell"),    QStringLiteral("Arduino"), QStringLiteral("AI"),
        QStringLiteral("Mobile"),   QStringLiteral("Web"),     QStringLiteral("Backend"),
    };
    return tags;
}

bool isSuggestedTag(const QString& tag)
{
    for (const QString& suggested : suggestedTags()) {
        if (UnicodeText::canonicalEqual(suggested, tag))
            return true;
    }
    return false;
}

std::optional<QString> pathDerivedTag(const QString& path)
{
    if (path.startsWith(shortenedMarker)) {
        const QString first = path.mid(shortenedMarker.size()).section(u'/', 0, 0);
        if (!first.isEmpty())
            return first;
    }
    if (path.contains(QStringLiteral("/Coding/"))) {
        const QStringList pieces = path.split(u'/');
        const qsizetype coding = pieces.indexOf(codingFolder);
        if (coding >= 0 && coding + 1 < pieces.size())
            return pieces[coding + 1];
    }
    return std::nullopt;
}

QString effectiveTag(const RecentFolder& project)
{
    if (project.manualTag && !project.manualTag->isEmpty())
        return *project.manualTag;
    if (std::optional<QString> derived = pathDerivedTag(project.path))
        return *derived;
    return QString(uncategorized);
}

Swatch keywordSwatch(const QString& tag)
{
    // Lower-cased in full (not folded): the rules are written against lower-case keywords. The
    // canonical composed form keeps a keyword from matching the start of a letter that carries
    // a combining accent ("gó" does not contain "go").
    const QString t = tag.toLower().normalized(QString::NormalizationForm_C);
    using L = QLatin1StringView;
    if (t == L("uncategorized"))
        return {NamedColor::secondary, 0.5};
    if (t.contains(L("swift")))
        return {NamedColor::orange, 1.0};
    if (containsAny(t, {L("circuitpython"), L("micropython")}))
        return {NamedColor::teal, 1.0};
    if (t.contains(L("python")))
        return {NamedColor::blue, 1.0};
    if (containsAny(t, {L("javascript"), L("js")}))
        return {NamedColor::yellow, 1.0};
    if (containsAny(t, {L("c++"), L("cpp"), L("arduino")}))
        return {NamedColor::pink, 1.0};
    if (containsAny(t, {L("web"), L("html")}))
        return {NamedColor::purple, 1.0};
    if (containsAny(t, {L("shell"), L("bash")}))
        return {NamedColor::gray, 1.0};
    if (t.contains(L("adobe")))
        return {NamedColor::green, 0.5};
    if (t.contains(L("applescript")))
        return {NamedColor::orange, 0.5};
    if (t.contains(L("artificial intelligence")) || t == L("ai"))
        return {NamedColor::red, 0.5};
    if (t.contains(L("chrome")))
        return {NamedColor::green, 1.0};
    if (t.contains(L("home automation")))
        return {NamedColor::pink, 0.5};
    if (t.contains(L("wordpress")))
        return {NamedColor::brown, 1.0};
    if (t.contains(L("go")))
        return {NamedColor::cyan, 1.0};
    if (t.contains(L("rust")))
        return {NamedColor::orange, 0.8};
    if (t.contains(L("java")))
        return {NamedColor::brown, 0.8};
    return {NamedColor::gray, 1.0};
}

QColor keywordColor(const QString& tag)
{
    return keywordSwatch(tag).toColor();
}

QColor projectColor(const RecentFolder& project, const CustomTagManager& tags)
{
    if (project.customColorHex) {
        if (std::optional<QColor> own = CustomTagManager::colorFromHex(*project.customColorHex))
            return *own;
    }
    const QString tag = effectiveTag(project);
    if (std::optional<QString> hex = tags.colorHexForTag(tag)) {
        if (std::optional<QColor> custom = CustomTagManager::colorFromHex(*hex))
            return *custom;
    }
    return keywordColor(tag);
}

QColor projectColor(const RecentFolder& project)
{
    return projectColor(project, CustomTagManager::shared());
}

} // namespace TagRules
