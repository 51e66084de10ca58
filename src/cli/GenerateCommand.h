#pragma once

#include "cli/PlexorTool.h"

// `plexor generate FOLDER [--select PATH]... [--all-files] [--type EXT=on|off]...`: scans FOLDER
// as the application does, selects the given paths, generates and prints the text exactly as
// the application would copy it.
namespace GenerateCommand {

PlexorTool::Command command();
int run(PlexorTool& tool, const QStringList& arguments);

} // namespace GenerateCommand
