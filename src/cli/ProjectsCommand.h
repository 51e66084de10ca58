#pragma once

#include "cli/PlexorTool.h"

// `plexor projects [--by-tag]`: lists the remembered projects, one tab-separated line each.
namespace ProjectsCommand {

PlexorTool::Command command();
int run(PlexorTool& tool, const QStringList& arguments);

// One field of a listing line: a tab, a line break or a backslash inside it is written as \t, \n,
// \r or \\, so every project stays on one line with the same number of fields.
QString field(const QString& text);

} // namespace ProjectsCommand
