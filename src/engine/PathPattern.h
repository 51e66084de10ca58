#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// One path pattern with the rules of a line of a .gitignore file, matched against the
// project-relative path of a file ("src/app/main.c"):
// - "*" matches any run of characters except "/", "?" one character except "/", "[a-z]" and
//   "[!a-z]" (or "[^a-z]") one character of a class, and "\" takes the next character literally;
// - a pattern without a "/" except at its end matches the name of the file or of any folder
//   above it ("*.h", "build/"); one with a "/" at its start or in its middle matches from the
//   project folder ("/README.md", "src/*.c");
// - a pattern ending with "/" matches folders only, and so every file below such a folder;
// - "**/" at the start matches in any folder, "/**" at the end everything inside, and "/**/"
//   zero or more folders ("src/**/test");
// - a file matches when the pattern matches its path or the path of a folder above it, so
//   "docs" takes every file in a folder named docs.
// Matching is case-sensitive, as git's is on Linux. Negation ("!") has no meaning for a single
// pattern and is refused.
class PathPattern {
public:
    // The pattern for `text`, or nullopt with a readable reason in `error`.
    static std::optional<PathPattern> parse(const QString& text, QString* error = nullptr);

    // Whether the pattern takes the file at `relativePath` (components joined by "/", no
    // leading "/").
    bool matchesFile(QStringView relativePath) const;

    const QString& text() const { return m_text; }

private:
    PathPattern() = default;

    bool matchesEntry(QStringView entryPath, bool isFolder) const;
    static bool wildMatch(QStringView pattern, QStringView path, bool atPatternStart);

    QString m_text;
    QString m_glob;
    bool m_anchored = false;
    bool m_foldersOnly = false;
};
