#include "cli/PlexorTool.h"

#include "cli/CommandLineParser.h"
#include "cli/GenerateCommand.h"
#include "cli/ProjectsCommand.h"
#include "cli/TokensCommand.h"
#include "cli/TreeCommand.h"

#include <QSaveFile>

#include <cstdio>

namespace {

bool writeBytes(std::FILE* stream, const QByteArray& bytes)
{
    const size_t size = static_cast<size_t>(bytes.size());
    const bool written = std::fwrite(bytes.constData(), 1, size, stream) == size;
    return std::fflush(stream) == 0 && written;
}

} // namespace

PlexorTool::PlexorTool()
{
    addCommand(GenerateCommand::command());
    addCommand(TreeCommand::command());
    addCommand(ProjectsCommand::command());
    addCommand(TokensCommand::command());
}

PlexorTool::~PlexorTool() = default;

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
        return finishOutput();
    }
    if (name == u"--version") {
        writeOutput(
            QStringLiteral("plexor %1 (%2)\n")
                .arg(QStringLiteral(CODEPLEXOR_VERSION), QStringLiteral(CODEPLEXOR_BUILD_NUMBER)));
        return finishOutput();
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
        return finishOutput();
    }
    return command->run(*this, rest);
}

void PlexorTool::addOutputOption(CommandLineParser& parser)
{
    parser.addOption(QStringLiteral("--output"),
                     [this](const QString& value) -> std::optional<QString> {
                         if (value.isEmpty())
                             return QStringLiteral("empty file name");
                         m_outputPath = value;
                         return std::nullopt;
                     });
}

int PlexorTool::openOutput()
{
    if (m_outputPath.isEmpty() || m_outputFile)
        return Success;
    m_outputFile = std::make_unique<QSaveFile>(m_outputPath);
    if (!m_outputFile->open(QIODevice::WriteOnly)) {
        const QString reason = m_outputFile->errorString();
        m_outputFile.reset();
        return failure(QStringLiteral("cannot write %1: %2").arg(m_outputPath, reason));
    }
    return Success;
}

bool PlexorTool::writeOutput(const QString& text)
{
    if (m_outputFailed)
        return false;
    const QByteArray bytes = text.toUtf8();
    if (m_outputFile)
        m_outputFailed = m_outputFile->write(bytes) != bytes.size();
    else
        m_outputFailed = !writeBytes(stdout, bytes);
    return !m_outputFailed;
}

int PlexorTool::finishOutput()
{
    if (!m_outputFile)
        return m_outputFailed ? failure(QStringLiteral("cannot write to standard output"))
                              : Success;
    const std::unique_ptr<QSaveFile> file = std::move(m_outputFile);
    if (m_outputFailed) {
        const QString reason = file->errorString();
        file->cancelWriting();
        return failure(QStringLiteral("cannot write %1: %2").arg(m_outputPath, reason));
    }
    if (!file->commit())
        return failure(
            QStringLiteral("cannot write %1: %2").arg(m_outputPath, file->errorString()));
    return Success;
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
        "  --select-all       select every file of the tree\n"
        "  --include GLOB     select the files matching GLOB; for tree, list only them\n"
        "  --changed          select the files git reports as changed: modified, added,\n"
        "                     renamed or untracked (FOLDER must be inside a git work tree);\n"
        "                     for tree, list only them\n"
        "  --exclude GLOB     leave out the files matching GLOB, whatever selects them\n"
        "                     (both repeatable; GLOB is a .gitignore-style pattern matched\n"
        "                     against the path relative to FOLDER: \"*.py\" in any folder,\n"
        "                     \"src/*.c\" from the top, \"build/\" a folder, \"**/\" any depth)\n"
        "  --output FILE      write to FILE instead of standard output; FILE is replaced\n"
        "                     only when everything was written\n"
        "  --all-files        take every file whatever its extension (hidden files too)\n"
        "  --gitignore        also leave out what git ignores (.gitignore files, negations,\n"
        "                     .git/info/exclude, the global excludes file) when FOLDER is\n"
        "                     inside a git work tree\n"
        "  --type EXT=on|off  switch the file type EXT, for example --type .txt=on\n"
        "  --project NAME     a remembered project, by its name (when unique) or its path as\n"
        "                     `plexor projects` shows it; its saved selection is used\n"
        "  --by-tag           list projects grouped by tag, each line led by the group\n"
        "  --tokens           (tree) each file's token count after its name and a tab\n"
        "  --count            (generate) \"N characters, M tokens\" on standard error\n"
        "  -h, --help         show this help\n"
        "  --version          show the version\n"
        "\n"
        "The prefix and suffix are the ones stored by Code Plexor, or the defaults. Nothing is\n"
        "written to the preference store. Log lines (unreadable files) go to standard error.\n"
        "generate writes the text file by file, so memory holds one file at a time (with\n"
        "--count, the whole text is kept for counting).\n"
        "\n"
        "`plexor projects` prints one line per project with tab-separated fields: pinned or\n"
        "recent, name, tag, path (a tab, line break or backslash inside a field is written\n"
        "as \\t, \\n or \\\\).\n"
        "\n"
        "Token counts are exact counts of the o200k_base encoding; a file that is not UTF-8\n"
        "text is reported and gets no count (exit status 1).\n"
        "\n"
        "Exit status: 0 on success, 1 when FOLDER or the project is missing or cannot be\n"
        "opened or the output cannot be written, 2 for bad arguments.\n");
    return text;
}
