#include "cli/GenerateCommand.h"

#include "cli/CommandLineParser.h"
#include "cli/ScanArguments.h"
#include "engine/PlexorViewModel.h"
#include "model/Preferences.h"

#include <QDir>

namespace GenerateCommand {

PlexorTool::Command command()
{
    return PlexorTool::Command{
        QStringLiteral("generate"),
        QStringLiteral("FOLDER [--select PATH]... [--all-files] [--type EXT=on|off]..."),
        QStringLiteral("Scan FOLDER, select the given paths and print the generated text."),
        &run,
    };
}

int run(PlexorTool& tool, const QStringList& arguments)
{
    ScanArguments scan;
    QStringList selections;
    CommandLineParser parser;
    scan.addOptionsTo(parser);
    parser.addOption(QStringLiteral("--select"),
                     [&selections](const QString& value) -> std::optional<QString> {
                         if (value.isEmpty())
                             return QStringLiteral("empty path");
                         selections.append(value);
                         return std::nullopt;
                     });
    if (auto error = parser.parse(arguments))
        return tool.usageError(*error);
    if (auto error = scan.takeFolder(parser.positionals()))
        return tool.usageError(*error);
    if (auto error = scan.checkFolder())
        return tool.failure(*error);

    PlexorViewModel::PathSet selected;
    for (const QString& selection : std::as_const(selections)) {
        const QString path =
            QDir::isAbsolutePath(selection) ? selection : scan.folder + u'/' + selection;
        selected.insert(QDir::cleanPath(path));
    }

    Preferences preferences(Preferences::defaultFilePath(), Preferences::Access::ReadOnly);
    PlexorViewModel engine(preferences);
    scan.applyTo(engine);
    engine.loadFiles(scan.folder, selected);

    // A path the scan did not take (missing, ignored or of a switched-off type) is reported,
    // and the text is made from the rest, as the application does with a stale selection.
    PlexorViewModel::PathSet found;
    for (const FileItem* node : engine.collectSelectedItems())
        found.insert(node->path());
    for (const QString& path : std::as_const(selected)) {
        if (!found.contains(path))
            tool.writeError(QStringLiteral("warning: %1 is not in the scanned tree").arg(path));
    }

    engine.generateContent(scan.folder);
    tool.writeOutput(engine.generatedContent());
    return PlexorTool::Success;
}

} // namespace GenerateCommand
