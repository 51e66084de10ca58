#pragma once

#include "cli/PlexorTool.h"
#include "cli/ScanArguments.h"
#include "cli/SelectionArguments.h"

#include <optional>

// `plexor generate FOLDER [--select PATH]... [--all-files] [--type EXT=on|off]...`: scans FOLDER
// as the application does, selects the given paths, generates and prints the text exactly as
// the application would copy it.
namespace GenerateCommand {

PlexorTool::Command command();

// The arguments of `generate`: a folder with the files to choose, or a remembered project.
struct Arguments {
    ScanArguments scan;
    SelectionArguments selection;
    std::optional<QString> project;
    bool count = false;
};

// Reads `arguments` into `parsed` (which must be fresh) and --output into `tool`; an error text
// for a usage error. With --project the folder stays empty; otherwise it holds the one
// positional argument, unchecked.
std::optional<QString> parseArguments(PlexorTool& tool, const QStringList& arguments,
                                      Arguments& parsed);
int run(PlexorTool& tool, const QStringList& arguments);

} // namespace GenerateCommand
