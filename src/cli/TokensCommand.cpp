#include "cli/TokensCommand.h"

#include "cli/CommandLineParser.h"
#include "engine/FileTokenCount.h"
#include "engine/TokenEncoding.h"

#include <QFile>

namespace TokensCommand {

PlexorTool::Command command()
{
    return PlexorTool::Command{
        QStringLiteral("tokens"),
        QStringLiteral("[FILE]... [--output FILE]"),
        QStringLiteral("Print each file's token count and path, tab-separated; with no FILE, the\n"
                       "      count of standard input."),
        &run,
    };
}

int run(PlexorTool& tool, const QStringList& arguments)
{
    CommandLineParser parser;
    tool.addOutputOption(parser);
    if (auto error = parser.parse(arguments))
        return tool.usageError(*error);
    if (const int opened = tool.openOutput(); opened != PlexorTool::Success)
        return opened;

    if (parser.positionals().isEmpty()) {
        QFile input;
        if (!input.open(stdin, QIODevice::ReadOnly))
            return tool.failure(QStringLiteral("cannot read standard input"));
        const auto tokens = TokenEncoding::o200kBase().count(QByteArrayView(input.readAll()));
        if (!tokens)
            return tool.failure(QStringLiteral("standard input is not valid UTF-8 text"));
        tool.writeOutput(QString::number(*tokens) + u'\n');
        return tool.finishOutput();
    }

    // Every file is tried; one that cannot be counted is reported and makes the exit status 1.
    int status = PlexorTool::Success;
    for (const QString& path : parser.positionals()) {
        const FileTokenCount count = FileTokenCount::ofFile(path);
        if (count.tokens < 0) {
            tool.writeError(QStringLiteral("%1: %2").arg(path, count.error));
            status = PlexorTool::Failure;
            continue;
        }
        tool.writeOutput(QString::number(count.tokens) + u'\t' + path + u'\n');
    }
    const int finished = tool.finishOutput();
    return finished == PlexorTool::Success ? status : finished;
}

} // namespace TokensCommand
