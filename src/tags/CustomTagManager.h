#pragma once

#include "model/CustomTagDefinition.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class Preferences;

// The user's own tags with their colours: one shared, observable list, stored as a whole under
// "savedCustomTags" on every change. Names are matched without regard to letter case (full
// Unicode case folding, see UnicodeText::caselessKey) everywhere.
//
// Main thread only. Failures (stored data that does not decode) are silent: the list then starts
// empty, and the next change replaces the stored value after the store kept a copy of the file
// (Preferences::keepOriginal).
class CustomTagManager : public QObject {
    Q_OBJECT

public:
    // A manager over `preferences`, which loads the stored tags at once. The application uses
    // shared(); tests make their own over a temporary store.
    explicit CustomTagManager(Preferences& preferences, QObject* parent = nullptr);

    // The application's manager over Preferences::standard(), made on first use and kept for
    // the whole run.
    static CustomTagManager& shared();

    // All custom tags, in the order they were first saved.
    const QList<CustomTagDefinition>& savedTags() const { return m_savedTags; }
    QLatin1StringView storageKey() const;

    // Replaces the list with the stored one when a value is stored and decodes; otherwise keeps
    // the list as it is.
    void loadTags();
    // Writes the whole list under storageKey().
    void persistTags();

    // Updates the first tag whose name matches `name` (taking the new spelling and colour, at
    // the same position) or appends a new one, then stores the list. Nothing is validated.
    void saveTag(const QString& name, const QString& colorHex);
    // Removes every tag whose name matches, then stores the list (also when none matched).
    void deleteTag(const QString& name);
    // The colour text of the first tag whose name matches, if any.
    std::optional<QString> colorHexForTag(const QString& name) const;

    // Reads colour text: surrounding white space is trimmed, every "#" removed, and the rest
    // must be 6 (RRGGBB) or 8 (RRGGBBAA) characters long and begin with a hexadecimal number
    // (optionally after "0x"). Gives an sRGB colour, or none.
    static std::optional<QColor> colorFromHex(const QString& text);
    // Formats a colour as "#RRGGBB" from its red, green and blue components; opacity is not
    // written. None for an invalid colour. Extended-range components are not clamped and give
    // more digits (which colorFromHex then rejects).
    static std::optional<QString> hexFromColor(const QColor& color);
    // The formatting rule on a bare component list: one component is grey (used for red, green
    // and blue), two are taken as first/second/first, three or more as the first three. None
    // for an empty list or a component too large to format.
    static std::optional<QString> hexFromComponents(const QList<double>& components);

Q_SIGNALS:
    // Emitted just before savedTags() changes.
    void savedTagsAboutToChange();
    // Emitted after savedTags() changed.
    void savedTagsChanged();

private:
    void replaceTags(QList<CustomTagDefinition> tags);

    Preferences& m_preferences;
    QList<CustomTagDefinition> m_savedTags;
};
