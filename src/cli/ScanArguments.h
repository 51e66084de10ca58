#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <optional>

class CommandLineParser;
class PlexorViewModel;

// The arguments every scanning subcommand shares: the project folder, --all-files, any number
// of --type EXT=on|off and --gitignore.
struct ScanArguments {
    QString folder;
    bool allFiles = false;
    bool gitignore = false;
    QList<QPair<QString, bool>> typeSwitches;

    // Registers --all-files, --type and --gitignore with `parser`.
    void addOptionsTo(CommandLineParser& parser);
    // Takes the folder from the positional arguments; an error text unless there is exactly one.
    std::optional<QString> takeFolder(const QStringList& positionals);
    // The folder as an absolute, clean path. An error text when it is missing or not a folder.
    std::optional<QString> checkFolder();
    // Applies the switches to a fresh engine, before its scan.
    void applyTo(PlexorViewModel& engine) const;

    // Reads "EXT=on" or "EXT=off"; a missing leading dot is added.
    static std::optional<QPair<QString, bool>> parseTypeSwitch(const QString& text);
};
