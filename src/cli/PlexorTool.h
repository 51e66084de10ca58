#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class CommandLineParser;
class QSaveFile;

// The `plexor` command: a dispatcher over subcommands that share argument parsing, output and
// exit codes. A subcommand is registered with its name, its synopsis, its help lines and the
// function that runs it.
//
// Exit codes: Success (0); Failure (1) with a message on standard error, for example a FOLDER
// that does not exist; UsageError (2) with a one-line message for bad arguments.
class PlexorTool {
public:
    enum ExitCode { Success = 0, Failure = 1, UsageError = 2 };

    struct Command {
        QString name;
        // The arguments after the name, for example "FOLDER [--all-files]".
        QString synopsis;
        // What the command does, in one line.
        QString summary;
        std::function<int(PlexorTool& tool, const QStringList& arguments)> run;
    };

    PlexorTool();
    ~PlexorTool();

    void addCommand(Command command);
    // Runs the command line without the program name.
    int run(const QStringList& arguments);

    // Registers --output FILE with `parser`: the command's output then goes to FILE instead of
    // standard output.
    void addOutputOption(CommandLineParser& parser);
    // Opens the output chosen by --output. FILE is written under a temporary name and takes its
    // place only when finishOutput() succeeds, so a failed run leaves an existing FILE as it
    // was. Failure (with the message written) when it cannot be created.
    int openOutput();
    // The output gets exactly these bytes (UTF-8); nothing is added. False once a write failed.
    bool writeOutput(const QString& text);
    // Completes the output: Success, or Failure with the message written when any write failed
    // or FILE cannot be put in place.
    int finishOutput();
    // One line on standard error, prefixed with "plexor: ".
    void writeError(const QString& message);
    // One line on standard error as it stands, for figures about the output.
    void writeInformation(const QString& line);

    int usageError(const QString& message);
    int failure(const QString& message);

    QString helpText() const;

    // Whether `arguments` asks for help (-h or --help before any "--").
    static bool asksForHelp(const QStringList& arguments);

private:
    const Command* find(const QString& name) const;

    std::vector<Command> m_commands;
    QString m_outputPath;
    std::unique_ptr<QSaveFile> m_outputFile;
    bool m_outputFailed = false;
};
