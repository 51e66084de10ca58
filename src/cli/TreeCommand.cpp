#include "cli/TreeCommand.h"

#include "cli/CommandLineParser.h"
#include "cli/ScanArguments.h"
#include "engine/PlexorViewModel.h"
#include "model/Preferences.h"

namespace TreeCommand {

namespace {

void renderInto(const FileItemList& nodes, int depth, QString& out)
{
    for (const auto& node : nodes) {
        out += QString(depth * 2, u' ');
        out += node->nameView();
        if (node->isFolder())
            out += u'/';
        out += u'\n';
        renderInto(node->children(), depth + 1, out);
    }
}

} // namespace

PlexorTool::Command command()
{
    return PlexorTool::Command{
        QStringLiteral("tree"),
        QStringLiteral("FOLDER [--all-files] [--type EXT=on|off]..."),
        QStringLiteral("Print the scanned tree of FOLDER, two spaces per level, folders "
                       "ending in \"/\",\n      folders first, names in natural order."),
        &run,
    };
}

QString render(const FileItemList& nodes, int depth)
{
    QString out;
    renderInto(nodes, depth, out);
    return out;
}

int run(PlexorTool& tool, const QStringList& arguments)
{
    ScanArguments scan;
    CommandLineParser parser;
    scan.addOptionsTo(parser);
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
    tool.writeOutput(render(engine.files()));
    return PlexorTool::Success;
}

} // namespace TreeCommand
