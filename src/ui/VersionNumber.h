#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// A release's version number, read from a version text such as "1.10", "v1.2.0" or "2.0-beta.2",
// and ordered the way people read versions:
//
// - A leading "v" or "V" is dropped.
// - The numeric components are compared as numbers, one by one: 1.10 is newer than 1.9. A missing
//   component counts as 0, so 1.2 equals 1.2.0. Components of any length are compared exactly.
// - A pre-release suffix follows the numbers, after "-" ("1.2.0-rc.1") or directly with a letter
//   ("1.2b3", "1.2rc1"). A pre-release is older than the release with the same numbers
//   (1.2-beta < 1.2) but newer than every lower release (1.2-beta > 1.1.9). Two pre-releases of
//   the same numbers compare their suffixes piece by piece, split at "." and at every change
//   between digits and letters: numeric pieces as numbers, other pieces without regard to case,
//   a numeric piece before a word, and a suffix that is a leading part of another is older
//   ("alpha" < "alpha.1" < "beta" < "beta.2" < "beta.10" < "rc.1").
// - Build metadata after "+" ("1.2+linux") is ignored.
//
// Texts that do not start with a digit (after the optional "v") or hold an empty component
// ("1..2", "1.") are not version numbers.
class VersionNumber {
public:
    // None when `text` is not a version number.
    static std::optional<VersionNumber> parse(const QString& text);

    // Numeric components as written, leading zeros removed ("01" reads as "1").
    const QStringList& components() const { return m_components; }
    // The pre-release suffix in its written case, without the separating "-"; empty for a release.
    const QString& preRelease() const { return m_preRelease; }
    bool isPreRelease() const { return !m_preRelease.isEmpty(); }

    // The version as shown to people: without "v" and build metadata ("v1.2.0-rc1+x" gives
    // "1.2.0-rc1").
    QString toString() const;

    // Negative, zero or positive as `left` is older than, as new as, or newer than `right`.
    static int compare(const VersionNumber& left, const VersionNumber& right);

    friend bool operator==(const VersionNumber& a, const VersionNumber& b)
    {
        return compare(a, b) == 0;
    }
    friend bool operator<(const VersionNumber& a, const VersionNumber& b)
    {
        return compare(a, b) < 0;
    }
    friend bool operator>(const VersionNumber& a, const VersionNumber& b) { return b < a; }

private:
    QStringList m_components;
    QString m_preRelease;
    QString m_text;
};
