#pragma once

#include <QList>
#include <QString>

#include <optional>

// Which screen the main window shows. Held as view state only, never stored.
enum class ViewMode { projects, plexor, preview };

// How the project library is ordered. Held as view state only, never stored.
enum class ProjectSortMode { recent, tags };

QString rawValue(ViewMode mode);
QString rawValue(ProjectSortMode mode);

// Exact, case-sensitive match of the raw value; any other text gives no value.
std::optional<ViewMode> viewModeFromRawValue(const QString& raw);
std::optional<ProjectSortMode> projectSortModeFromRawValue(const QString& raw);

// All cases in their declaration order.
QList<ViewMode> allViewModes();
QList<ProjectSortMode> allProjectSortModes();
