#include "cli/ProjectLookup.h"

#include "tags/UnicodeText.h"

#include <QDir>

namespace ProjectLookup {

Result find(const QList<ProjectLibrary::ProjectEntry>& projects, const QString& nameOrPath)
{
    QList<ProjectLibrary::ProjectEntry> byName;
    for (const ProjectLibrary::ProjectEntry& entry : projects) {
        if (UnicodeText::canonicalEqual(entry.displayName, nameOrPath))
            byName.append(entry);
    }
    if (byName.size() == 1)
        return Found{byName.first()};

    // A path given with a trailing slash or "." components still names the same folder.
    const QString cleaned =
        nameOrPath.startsWith(QStringLiteral(".../")) ? nameOrPath : QDir::cleanPath(nameOrPath);
    for (const ProjectLibrary::ProjectEntry& entry : projects) {
        if (UnicodeText::canonicalEqual(entry.displayPath, nameOrPath) ||
            UnicodeText::canonicalEqual(entry.displayPath, cleaned))
            return Found{entry};
    }
    if (byName.size() > 1)
        return Ambiguous{byName};
    return NotFound{};
}

} // namespace ProjectLookup
