#pragma once

#include "cli/PlexorTool.h"

// `plexor tokens [FILE]...`: prints each file's o200k_base token count as "COUNT<TAB>PATH", or
// with no file the count of standard input alone.
namespace TokensCommand {

PlexorTool::Command command();
int run(PlexorTool& tool, const QStringList& arguments);

} // namespace TokensCommand
