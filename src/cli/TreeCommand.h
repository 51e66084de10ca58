#pragma once

#include "cli/PlexorTool.h"

#include "model/FileItem.h"

// `plexor tree FOLDER [--all-files] [--type EXT=on|off]...`: prints the scanned tree, one node
// per line in the engine's order, indented two spaces per level, folders ending in "/".
namespace TreeCommand {

PlexorTool::Command command();
int run(PlexorTool& tool, const QStringList& arguments);

// The listing of `nodes`, starting at indentation `depth`.
QString render(const FileItemList& nodes, int depth = 0);

} // namespace TreeCommand
