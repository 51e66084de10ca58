#include "cli/GenerateCommand.h"

#include "cli/CommandLineParser.h"
#include "cli/ProjectLookup.h"
#include "cli/ScanArguments.h"
#include "cli/SelectionArguments.h"
#include "engine/PlexorViewModel.h"
#include "engine/TokenEncoding.h"
#include "model/Preferences.h"
#include "platform/FolderBookmark.h"
#include "ui/CharacterCount.h"

namespace GenerateCommand {

namespace {

// Writes the text file by file, so that memory holds one file's text at a time however large
// the selection. With `count`, the whole text is also kept, to count its characters and tokens
// (exact counts need the whole: a character or token can span two pieces) and print them on
// standard error.
int writeGenerated(PlexorTool& tool, const PlexorViewModel& engine, const QString& folder,
                   bool count)
{
    if (const int opened = tool.openOutput(); opened != PlexorTool::Success)
        return opened;
    QString whole;
    engine.writeContent(folder, [&tool, &whole, count](QString& text) {
        const bool written = tool.writeOutput(text);
        if (count)
            whole += text;
        text.truncate(0);
        return written;
    });
    const int finished = tool.finishOutput();
    if (count && finished == PlexorTool::Success)
        tool.writeInformation(QStringLiteral("%1 characters, %2 tokens")
                                  .arg(CharacterCount::graphemes(whole))
                                  .arg(TokenEncoding::o200kBase().count(whole)));
    return finished;
}

// Generates for a remembered project with its saved selection and open folders, as the global
// shortcut does in the application, but without storing anything.
int runProject(PlexorTool& tool, const ScanArguments& scan, const QString& nameOrPath,
               Preferences& preferences, bool count)
{
    const ProjectLibrary::Listing listing = ProjectLibrary::loadListing(preferences);
    if (listing.error)
        return tool.failure(
            QStringLiteral("cannot read the remembered projects: %1").arg(*listing.error));

    const ProjectLookup::Result result = ProjectLookup::find(listing.projects, nameOrPath);
    if (std::holds_alternative<ProjectLookup::NotFound>(result))
        return tool.failure(
            QStringLiteral("no remembered project is named or located \"%1\"").arg(nameOrPath));
    if (const auto* ambiguous = std::get_if<ProjectLookup::Ambiguous>(&result)) {
        QStringList paths;
        for (const ProjectLibrary::ProjectEntry& candidate : ambiguous->candidates)
            paths.append(candidate.displayPath);
        return tool.failure(QStringLiteral("\"%1\" names %2 projects; give one of their paths: %3")
                                .arg(nameOrPath)
                                .arg(paths.size())
                                .arg(paths.join(QStringLiteral(", "))));
    }
    const RecentFolder& project = std::get<ProjectLookup::Found>(result).project.record;
    const auto resolved = BookmarkService::current().resolve(project.bookmarkData);
    if (!resolved)
        return tool.failure(QStringLiteral("cannot open the project \"%1\": %2")
                                .arg(project.path, resolved.error.localizedDescription));

    PlexorViewModel engine(preferences);
    scan.applyTo(engine);
    engine.loadFiles(resolved.value->path, project.savedSelectedPaths, project.savedExpandedPaths);
    return writeGenerated(tool, engine, resolved.value->path, count);
}

} // namespace

PlexorTool::Command command()
{
    return PlexorTool::Command{
        QStringLiteral("generate"),
        QStringLiteral(
            "(FOLDER [--select PATH]... [--select-all] [--include GLOB]...\n"
            "                 [--changed] [--exclude GLOB]... | --project NAME_OR_PATH)\n"
            "                 [--all-files] [--type EXT=on|off]... [--gitignore]\n"
            "                 [--output FILE] [--count]"),
        QStringLiteral(
            "Scan FOLDER, select the chosen files and print the generated text; or do\n"
            "      what the global shortcut does for a remembered project. --count adds\n"
            "      \"N characters, M tokens\" on standard error."),
        &run,
    };
}

std::optional<QString> parseArguments(PlexorTool& tool, const QStringList& arguments,
                                      Arguments& parsed)
{
    CommandLineParser parser;
    parsed.scan.addOptionsTo(parser);
    parsed.selection.addOptionsTo(parser, true);
    tool.addOutputOption(parser);
    parser.addFlag(QStringLiteral("--count"), &parsed.count);
    parser.addOption(QStringLiteral("--project"),
                     [&parsed](const QString& value) -> std::optional<QString> {
                         if (value.isEmpty())
                             return QStringLiteral("empty project name");
                         if (parsed.project)
                             return QStringLiteral("--project given twice");
                         parsed.project = value;
                         return std::nullopt;
                     });
    if (auto error = parser.parse(arguments))
        return error;
    if (!parsed.project)
        return parsed.scan.takeFolder(parser.positionals());
    if (!parser.positionals().isEmpty())
        return QStringLiteral("give either FOLDER or --project, not both");
    if (!parsed.selection.isEmpty())
        return QStringLiteral("--select, --select-all, --include, --changed and --exclude cannot "
                              "be combined with --project, which uses the project's saved "
                              "selection");
    return std::nullopt;
}

int run(PlexorTool& tool, const QStringList& arguments)
{
    Arguments parsed;
    if (auto error = parseArguments(tool, arguments, parsed))
        return tool.usageError(*error);
    ScanArguments& scan = parsed.scan;
    SelectionArguments& selection = parsed.selection;
    const bool count = parsed.count;
    if (parsed.project) {
        Preferences preferences(Preferences::defaultFilePath(), Preferences::Access::ReadOnly);
        return runProject(tool, scan, *parsed.project, preferences, count);
    }
    if (auto error = scan.checkFolder())
        return tool.failure(*error);
    if (auto error = selection.readChangedFiles(scan.folder))
        return tool.failure(*error);

    const PlexorViewModel::PathSet selected = selection.selectedPaths(scan.folder);
    Preferences preferences(Preferences::defaultFilePath(), Preferences::Access::ReadOnly);
    PlexorViewModel engine(preferences);
    scan.applyTo(engine);
    engine.loadFiles(scan.folder, selected);

    // A path the scan did not take (missing, ignored or of a switched-off type) is reported,
    // and the text is made from the rest, as the application does with a stale selection.
    PlexorViewModel::PathSet found;
    for (const FileItem* node : engine.collectSelectedItems())
        found.insert(node->path());
    for (const QString& path : selected) {
        if (!found.contains(path))
            tool.writeError(QStringLiteral("warning: %1 is not in the scanned tree").arg(path));
    }
    selection.applyTo(engine, scan.folder);
    return writeGenerated(tool, engine, scan.folder, count);
}

} // namespace GenerateCommand
