#include "cli/TreeCommand.h"

#include "cli/CommandLineParser.h"
#include "cli/ScanArguments.h"
#include "cli/SelectionArguments.h"
#include "engine/FileTokenCount.h"
#include "engine/PlexorViewModel.h"
#include "model/Preferences.h"

namespace TreeCommand {

namespace {

// Writes the nodes `shown` holds (all when it is null); a folder is written when it holds a
// written node.
bool renderInto(const FileItemList& nodes, int depth, const QSet<const FileItem*>* shown,
                const FileAnnotation& annotate, QString& out)
{
    bool any = false;
    for (const auto& node : nodes) {
        const qsizetype start = out.size();
        out += QString(depth * 2, u' ');
        out += node->nameView();
        if (node->isFolder())
            out += u'/';
        else if (annotate && (!shown || shown->contains(node.get())))
            out += annotate(*node);
        out += u'\n';
        const bool inside = renderInto(node->children(), depth + 1, shown, annotate, out);
        if (shown && !inside && !shown->contains(node.get()))
            out.truncate(start);
        else
            any = true;
    }
    return any;
}

} // namespace

PlexorTool::Command command()
{
    return PlexorTool::Command{
        QStringLiteral("tree"),
        QStringLiteral("FOLDER [--all-files] [--type EXT=on|off]... [--gitignore]\n"
                       "                 [--include GLOB]... [--changed] [--exclude GLOB]...\n"
                       "                 [--output FILE] [--tokens]"),
        QStringLiteral("Print the scanned tree of FOLDER, two spaces per level, folders "
                       "ending in \"/\", folders first,\n      names in natural order; with "
                       "--include, --changed or --exclude only the chosen\n      files and their "
                       "folders; with --tokens each file's token count after a tab."),
        &run,
    };
}

QString render(const FileItemList& nodes, int depth, const FileAnnotation& afterFileName)
{
    QString out;
    renderInto(nodes, depth, nullptr, afterFileName, out);
    return out;
}

int run(PlexorTool& tool, const QStringList& arguments)
{
    ScanArguments scan;
    SelectionArguments selection;
    CommandLineParser parser;
    scan.addOptionsTo(parser);
    selection.addOptionsTo(parser, false);
    tool.addOutputOption(parser);
    bool tokens = false;
    parser.addFlag(QStringLiteral("--tokens"), &tokens);
    if (auto error = parser.parse(arguments))
        return tool.usageError(*error);
    if (auto error = scan.takeFolder(parser.positionals()))
        return tool.usageError(*error);
    if (auto error = scan.checkFolder())
        return tool.failure(*error);
    if (auto error = selection.readChangedFiles(scan.folder))
        return tool.failure(*error);

    Preferences preferences(Preferences::defaultFilePath(), Preferences::Access::ReadOnly);
    PlexorViewModel engine(preferences);
    scan.applyTo(engine);
    engine.loadFiles(scan.folder);
    // A file that cannot be counted is listed without a count and reported.
    bool uncounted = false;
    FileAnnotation countTokens;
    if (tokens) {
        countTokens = [&tool, &uncounted](const FileItem& file) -> QString {
            const FileTokenCount count = FileTokenCount::ofFile(file.path());
            if (count.tokens >= 0)
                return u'\t' + QString::number(count.tokens);
            tool.writeError(QStringLiteral("%1: %2").arg(file.path(), count.error));
            uncounted = true;
            return QString();
        };
    }
    if (const int opened = tool.openOutput(); opened != PlexorTool::Success)
        return opened;
    if (selection.isEmpty()) {
        tool.writeOutput(render(engine.files(), 0, countTokens));
    } else {
        const QList<const FileItem*> chosen = selection.chosenFiles(engine, scan.folder, true);
        const QSet<const FileItem*> shown(chosen.begin(), chosen.end());
        QString out;
        renderInto(engine.files(), 0, &shown, countTokens, out);
        tool.writeOutput(out);
    }
    const int finished = tool.finishOutput();
    return finished == PlexorTool::Success && uncounted ? int(PlexorTool::Failure) : finished;
}

} // namespace TreeCommand
