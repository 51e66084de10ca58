#include "cli/ProjectsCommand.h"

#include "cli/CommandLineParser.h"
#include "library/ProjectLibrary.h"
#include "model/Preferences.h"

namespace ProjectsCommand {

namespace {

QString line(const ProjectLibrary::ProjectEntry& entry)
{
    const QStringList fields{entry.record.isPinned ? QStringLiteral("pinned")
                                                   : QStringLiteral("recent"),
                             field(entry.displayName), field(entry.tag), field(entry.displayPath)};
    return fields.join(u'\t') + u'\n';
}

} // namespace

PlexorTool::Command command()
{
    return PlexorTool::Command{
        QStringLiteral("projects"),
        QStringLiteral("[--by-tag]"),
        QStringLiteral("List the remembered projects in the library's order (or grouped by tag)."),
        &run,
    };
}

QString field(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            escaped += QStringLiteral("\\\\");
            break;
        case u'\t':
            escaped += QStringLiteral("\\t");
            break;
        case u'\n':
            escaped += QStringLiteral("\\n");
            break;
        case u'\r':
            escaped += QStringLiteral("\\r");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

int run(PlexorTool& tool, const QStringList& arguments)
{
    bool byTag = false;
    CommandLineParser parser;
    parser.addFlag(QStringLiteral("--by-tag"), &byTag);
    if (auto error = parser.parse(arguments))
        return tool.usageError(*error);
    if (!parser.positionals().isEmpty())
        return tool.usageError(
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionals().first()));

    const Preferences preferences(Preferences::defaultFilePath(), Preferences::Access::ReadOnly);
    const ProjectLibrary::Listing listing = ProjectLibrary::loadListing(preferences);
    if (listing.error)
        return tool.failure(
            QStringLiteral("cannot read the remembered projects: %1").arg(*listing.error));

    QString out;
    if (byTag) {
        for (const ProjectLibrary::ProjectEntryGroup& group : listing.groups) {
            const QString header = field(ProjectLibrary::groupHeaderTitle(group.tag));
            for (const ProjectLibrary::ProjectEntry& entry : group.projects)
                out += header + u'\t' + line(entry);
        }
    } else {
        for (const ProjectLibrary::ProjectEntry& entry : listing.projects)
            out += line(entry);
    }
    tool.writeOutput(out);
    return PlexorTool::Success;
}

} // namespace ProjectsCommand
