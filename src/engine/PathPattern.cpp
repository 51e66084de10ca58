#include "engine/PathPattern.h"

std::optional<PathPattern> PathPattern::parse(const QString& text, QString* error)
{
    const auto fail = [error](const QString& reason) -> std::optional<PathPattern> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (text.trimmed().isEmpty())
        return fail(QStringLiteral("empty pattern"));
    if (text.startsWith(u'!'))
        return fail(QStringLiteral("a pattern cannot be negated with \"!\" here (\"\\!\" matches a "
                                   "leading \"!\")"));

    PathPattern pattern;
    pattern.m_text = text;
    QString glob = text;
    if (glob.endsWith(u'/')) {
        pattern.m_foldersOnly = true;
        while (glob.endsWith(u'/'))
            glob.chop(1);
    }
    if (glob.startsWith(u'/')) {
        pattern.m_anchored = true;
        while (glob.startsWith(u'/'))
            glob.remove(0, 1);
    } else {
        pattern.m_anchored = glob.contains(u'/');
    }
    if (glob.isEmpty())
        return fail(QStringLiteral("the pattern \"%1\" names no file or folder").arg(text));

    // An unclosed "[" would match nothing at all; say so instead.
    for (qsizetype i = 0; i < glob.size(); ++i) {
        if (glob.at(i) == u'\\') {
            ++i;
        } else if (glob.at(i) == u'[') {
            qsizetype j = i + 1;
            if (j < glob.size() && (glob.at(j) == u'!' || glob.at(j) == u'^'))
                ++j;
            if (j < glob.size() && glob.at(j) == u']')
                ++j;
            while (j < glob.size() && glob.at(j) != u']')
                ++j;
            if (j >= glob.size())
                return fail(QStringLiteral("unclosed \"[\" in \"%1\"").arg(text));
            i = j;
        }
    }
    pattern.m_glob = glob;
    return pattern;
}

bool PathPattern::matchesFile(QStringView relativePath) const
{
    // The file itself, then every folder above it.
    if (matchesEntry(relativePath, false))
        return true;
    for (qsizetype slash = relativePath.lastIndexOf(u'/'); slash > 0;
         slash = relativePath.left(slash).lastIndexOf(u'/')) {
        if (matchesEntry(relativePath.left(slash), true))
            return true;
    }
    return false;
}

bool PathPattern::matchesEntry(QStringView entryPath, bool isFolder) const
{
    if (m_foldersOnly && !isFolder)
        return false;
    if (m_anchored)
        return wildMatch(m_glob, entryPath, true);
    return wildMatch(m_glob, entryPath.mid(entryPath.lastIndexOf(u'/') + 1), true);
}

namespace {

// Matches one bracket expression starting after "[" at `p`; sets `end` past its "]".
bool matchClass(QStringView pattern, qsizetype p, QChar c, qsizetype& end)
{
    bool negated = false;
    if (p < pattern.size() && (pattern.at(p) == u'!' || pattern.at(p) == u'^')) {
        negated = true;
        ++p;
    }
    bool matched = false;
    bool first = true;
    while (p < pattern.size() && (first || pattern.at(p) != u']')) {
        first = false;
        QChar low = pattern.at(p);
        if (low == u'\\' && p + 1 < pattern.size())
            low = pattern.at(++p);
        QChar high = low;
        if (p + 2 < pattern.size() && pattern.at(p + 1) == u'-' && pattern.at(p + 2) != u']') {
            p += 2;
            high = pattern.at(p);
            if (high == u'\\' && p + 1 < pattern.size())
                high = pattern.at(++p);
        }
        if (low <= c && c <= high)
            matched = true;
        ++p;
    }
    end = p + 1;
    return matched != negated && c != u'/';
}

} // namespace

bool PathPattern::wildMatch(QStringView pattern, QStringView path, bool atPatternStart)
{
    qsizetype p = 0;
    qsizetype s = 0;
    while (p < pattern.size()) {
        const QChar c = pattern.at(p);
        if (c == u'*') {
            const bool afterSlash =
                (p == 0 && atPatternStart) || (p > 0 && pattern.at(p - 1) == u'/');
            if (afterSlash && p + 1 < pattern.size() && pattern.at(p + 1) == u'*' &&
                (p + 2 == pattern.size() || pattern.at(p + 2) == u'/')) {
                if (p + 2 == pattern.size())
                    return true; // "/**" at the end: everything inside.
                // "**/": zero or more whole folders.
                const QStringView rest = pattern.mid(p + 3);
                for (qsizetype i = s; i <= path.size(); ++i) {
                    if ((i == s || path.at(i - 1) == u'/') && wildMatch(rest, path.mid(i), true))
                        return true;
                }
                return false;
            }
            while (p < pattern.size() && pattern.at(p) == u'*')
                ++p;
            const QStringView rest = pattern.mid(p);
            for (qsizetype i = s; i <= path.size(); ++i) {
                if (wildMatch(rest, path.mid(i), false))
                    return true;
                if (i < path.size() && path.at(i) == u'/')
                    break;
            }
            return false;
        }
        if (s >= path.size())
            return false;
        if (c == u'?') {
            if (path.at(s) == u'/')
                return false;
            ++p;
        } else if (c == u'[') {
            qsizetype end = 0;
            if (!matchClass(pattern, p + 1, path.at(s), end))
                return false;
            p = end;
        } else {
            QChar literal = c;
            if (c == u'\\' && p + 1 < pattern.size())
                literal = pattern.at(++p);
            if (path.at(s) != literal)
                return false;
            ++p;
        }
        ++s;
    }
    return s == path.size();
}
