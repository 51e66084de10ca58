#include "library/CloudPathPrefixes.h"

#include "tags/UnicodeText.h"

#include <optional>

// CODEPLEXOR_LONG_PREFIX and CODEPLEXOR_SHORT_PREFIX are string literals defined by the build
// for this file (see src/library/CMakeLists.txt).

namespace {

const QString shortenedMarker = QStringLiteral(".../");

// The absolute path without trailing "/" (the root folder stays "/").
QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

// The rest of `path` after `prefix`, or none when `path` does not begin with it. The prefix ends
// with "/", and a "/" never combines with what follows it, so the prefix can only end right
// after one of the path's own slashes; each of those is tried with canonical equality, which
// keeps the rest exactly as the path spells it.
std::optional<QString> restAfter(const QString& path, const QString& prefix)
{
    if (path.startsWith(prefix))
        return path.mid(prefix.size());
    for (qsizetype slash = path.indexOf(u'/'); slash >= 0; slash = path.indexOf(u'/', slash + 1)) {
        if (UnicodeText::canonicalEqual(path.left(slash + 1), prefix))
            return path.mid(slash + 1);
    }
    return std::nullopt;
}

QString normalizedPrefix(const QString& prefix)
{
    if (prefix.isEmpty() || prefix.endsWith(u'/'))
        return prefix;
    return prefix + u'/';
}

} // namespace

CloudPathPrefixes CloudPathPrefixes::buildDefaults()
{
    return {QString::fromUtf8(CODEPLEXOR_LONG_PREFIX), QString::fromUtf8(CODEPLEXOR_SHORT_PREFIX)};
}

QString CloudPathPrefixes::shorten(const QString& folderPath) const
{
    if (folderPath.isEmpty())
        return {};
    const QString path = withoutTrailingSlash(folderPath);
    for (const QString& prefix : {normalizedPrefix(longPrefix), normalizedPrefix(shortPrefix)}) {
        if (prefix.isEmpty())
            continue;
        if (std::optional<QString> rest = restAfter(path, prefix))
            return shortenedMarker + *rest;
    }
    return path;
}
