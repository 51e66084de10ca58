#include "cli/TreeCommand.h"

#include "cli/CommandLineParser.h"
#include "cli/ScanArguments.h"
#include "engine/FileTokenCount.h"
#include "engine/PlexorViewModel.h"
#include "model/Preferences.h"

namespace TreeCommand {

namespace {

void renderInto(const FileItemList& nodes, int depth, const FileAnnotation& countTokens,
                QString& out)
{
    for (const auto& node : nodes) {
        out += QString(depth * 2, u' ');
        out += node->nameView();
        if (node->isFolder())
            out += u'/';
        else if (countTokens)
            out += countTokens(*node);
        out += u'\n';
        renderInto(node->children(), depth + 1, countTokens, out);
    }
}

} // namespace

PlexorTool::Command command()
{
    return PlexorTool::Command{
        QStringLiteral("tree"),
        QStringLiteral("FOLDER [--all-files] [--type EXT=on|off]... [--tokens]"),
        QStringLiteral("Print the scanned tree of FOLDER, two spaces per level, folders "
                       "ending in \"/\";\n      with --tokens, each file's token count after "
                       "a tab."),
        &run,
    };
}

QString render(const FileItemList& nodes, int depth, const FileAnnotation& countTokens)
{
    QString out;
    renderInto(nodes, depth, countTokens, out);
    return out;
}

int run(PlexorTool& tool, const QStringList& arguments)
{
    ScanArguments scan;
    CommandLineParser parser;
    scan.addOptionsTo(parser);
    bool tokens = false;
    parser.addFlag(QStringLiteral("--tokens"), &tokens);
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
    // A file that cannot be counted is listed without a count and reported.
    int status = PlexorTool::Success;
    FileAnnotation countTokens;
    if (tokens) {
        countTokens = [&tool, &status](const FileItem& file) -> QString {
            const FileTokenCount count = FileTokenCount::ofFile(file.path());
            if (count.tokens >= 0)
                return u'\t' + QString::number(count.tokens);
            tool.writeError(QStringLiteral("%1: %2").arg(file.path(), count.error));
            status = PlexorTool::Failure;
            return QString();
        };
    }
    tool.writeOutput(render(engine.files(), 0, countTokens));
    return status;
}

} // namespace TreeCommand
