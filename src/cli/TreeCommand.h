#pragma once

#include "cli/PlexorTool.h"

#include "model/FileItem.h"

#include <functional>

// `plexor tree FOLDER [--all-files] [--type EXT=on|off]... [--tokens]`: prints the scanned tree,
// one node per line in the engine's order, indented two spaces per level, folders ending in "/",
// with --tokens each file's token count after a tab.
namespace TreeCommand {

PlexorTool::Command command();
int run(PlexorTool& tool, const QStringList& arguments);

// What follows a file's name in the listing (nothing by default).
using FileAnnotation = std::function<QString(const FileItem& file)>;

// The listing of `nodes`, starting at indentation `depth`.
QString render(const FileItemList& nodes, int depth = 0, const FileAnnotation& afterFileName = {});

} // namespace TreeCommand
