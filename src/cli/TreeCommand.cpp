#include "cli/TreeCommand.h"

#include "cli/CommandLineParser.h"
#include "cli/ScanArguments.h"
#include "cli/SelectionArguments.h"
#include "engine/PlexorViewModel.h"
#include "model/Preferences.h"

namespace TreeCommand {

namespace {

// Writes the nodes `shown` holds (all when it is null); a folder is written when it holds a
// written node.
bool renderInto(const FileItemList& nodes, int depth, const QSet<const FileItem*>* shown,
                QString& out)
{
    bool any = false;
    for (const auto& node : nodes) {
        const qsizetype start = out.size();
        out += QString(depth * 2, u' ');
        out += node->nameView();
        if (node->isFolder())
            out += u'/';
        out += u'\n';
        const bool inside = renderInto(node->children(), depth + 1, shown, out);
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
        QStringLiteral("FOLDER [--all-files] [--type EXT=on|off]... [--include GLOB]...\n"
                       "                 [--exclude GLOB]... [--output FILE]"),
        QStringLiteral("Print the scanned tree of FOLDER, two spaces per level, folders "
                       "ending in \"/\";\n      with --include or --exclude only the chosen "
                       "files and their folders."),
        &run,
    };
}

QString render(const FileItemList& nodes, int depth)
{
    QString out;
    renderInto(nodes, depth, nullptr, out);
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
    if (auto error = parser.parse(arguments))
        return tool.usageError(*error);
    if (auto error = scan.takeFolder(parser.positionals()))
        return tool.usageError(*error);
    if (auto error = scan.checkFolder())
        return tool.failure(*error);

    Preferences preferences(Preferences::defaultFilePath(), Preferences::Access::ReadOnly);
    PlexorViewModel engine(preferences);
    scan.applyTo(engine);
    engine.loadFiles(scan.folder);
    if (const int opened = tool.openOutput(); opened != PlexorTool::Success)
        return opened;
    if (selection.isEmpty()) {
        tool.writeOutput(render(engine.files()));
    } else {
        const QList<const FileItem*> chosen = selection.chosenFiles(engine, scan.folder, true);
        const QSet<const FileItem*> shown(chosen.begin(), chosen.end());
        QString out;
        renderInto(engine.files(), 0, &shown, out);
        tool.writeOutput(out);
    }
    return tool.finishOutput();
}

} // namespace TreeCommand
