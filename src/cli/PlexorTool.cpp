#include "cli/PlexorTool.h"

#include "cli/GenerateCommand.h"
#include "cli/ProjectsCommand.h"
#include "cli/TokensCommand.h"
#include "cli/TreeCommand.h"

#include <cstdio>

namespace {

void writeBytes(std::FILE* stream, const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

PlexorTool::PlexorTool()
{
    addCommand(GenerateCommand::command());
    addCommand(TreeCommand::command());
    addCommand(ProjectsCommand::command());
    addCommand(TokensCommand::command());
}

void PlexorTool::addCommand(Command command)
{
    m_commands.push_back(std::move(command));
}

const PlexorTool::Command* PlexorTool::find(const QString& name) const
{
    for (const Command& command : m_commands) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

bool PlexorTool::asksForHelp(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (argument == u"--")
            return false;
        if (argument == u"-h" || argument == u"--help")
            return true;
    }
    return false;
}

int PlexorTool::run(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return usageError(QStringLiteral("missing command"));
    const QString& name = arguments.first();
    if (name == u"-h" || name == u"--help" || name == u"help") {
        writeOutput(helpText());
        return Success;
    }
    const Command* command = find(name);
    if (!command) {
        if (name.startsWith(u'-'))
            return usageError(QStringLiteral("unknown option %1").arg(name));
        return usageError(QStringLiteral("unknown command \"%1\"").arg(name));
    }
    const QStringList rest = arguments.mid(1);
    if (asksForHelp(rest)) {
        writeOutput(helpText());
        return Success;
    }
    return command->run(*this, rest);
}

void PlexorTool::writeOutput(const QString& text)
{
    writeBytes(stdout, text.toUtf8());
}

void PlexorTool::writeError(const QString& message)
{
    writeBytes(stderr, (QStringLiteral("plexor: ") + message + u'\n').toUtf8());
}

void PlexorTool::writeInformation(const QString& line)
{
    writeBytes(stderr, (line + u'\n').toUtf8());
}

int PlexorTool::usageError(const QString& message)
{
    writeError(message + QStringLiteral(" (see plexor --help)"));
    return UsageError;
}

int PlexorTool::failure(const QString& message)
{
    writeError(message);
    return Failure;
}

QString PlexorTool::helpText() const
{
    QString text = QStringLiteral(
        "Usage: plexor COMMAND [ARGUMENTS]\n"
        "\n"
        "Builds Code Plexor's text for a project folder from the command line, with the same\n"
        "scan and the same layout as the application.\n"
        "\n"
        "Commands:\n");
    for (const Command& command : m_commands) {
        text += QStringLiteral("  plexor %1 %2\n      %3\n")
                    .arg(command.name, command.synopsis, command.summary);
    }
    text += QStringLiteral(
        "\n"
        "Options:\n"
        "  --select PATH      select PATH, relative to FOLDER or absolute; a folder selects\n"
        "                     only itself (as a click on its row does)\n"
        "  --all-files        take every file whatever its extension (hidden files too)\n"
        "  --type EXT=on|off  switch the file type EXT, for example --type .txt=on\n"
        "  --project NAME     a remembered project, by its name (when unique) or its path as\n"
        "                     `plexor projects` shows it; its saved selection is used\n"
        "  --by-tag           list projects grouped by tag, each line led by the group\n"
        "  --tokens           (tree) each file's token count after its name and a tab\n"
        "  --count            (generate) \"N characters, M tokens\" on standard error\n"
        "  -h, --help         show this help\n"
        "\n"
        "The prefix and suffix are the ones stored by Code Plexor, or the defaults. Nothing is\n"
        "written to the preference store. Log lines (unreadable files) go to standard error.\n"
        "\n"
        "`plexor projects` prints one line per project with tab-separated fields: pinned or\n"
        "recent, name, tag, path (a tab, line break or backslash inside a field is written\n"
        "as \\t, \\n or \\\\).\n"
        "\n"
        "Token counts are exact counts of the o200k_base encoding; a file that is not UTF-8\n"
        "text is reported and gets no count (exit status 1).\n"
        "\n"
        "Exit status: 0 on success, 1 when FOLDER or the project is missing or cannot be\n"
        "opened, 2 for bad arguments.\n");
    return text;
}
