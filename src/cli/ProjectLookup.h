#pragma once

#include "library/ProjectLibrary.h"

#include <QList>
#include <QString>

#include <variant>

// Finds one remembered project by what a user types on the command line: its display name when
// exactly one project has it, otherwise its path text.
namespace ProjectLookup {

struct Found {
    ProjectLibrary::ProjectEntry project;
};
struct Ambiguous {
    QList<ProjectLibrary::ProjectEntry> candidates;
};
struct NotFound {};

using Result = std::variant<Found, Ambiguous, NotFound>;

Result find(const QList<ProjectLibrary::ProjectEntry>& projects, const QString& nameOrPath);

} // namespace ProjectLookup
