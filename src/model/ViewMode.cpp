#include "model/ViewMode.h"

QString rawValue(ViewMode mode)
{
    switch (mode) {
    case ViewMode::projects:
        return QStringLiteral("Projects");
    case ViewMode::plexor:
        return QStringLiteral("Plexor");
    case ViewMode::preview:
        return QStringLiteral("Preview");
    }
    return {};
}

QString rawValue(ProjectSortMode mode)
{
    switch (mode) {
    case ProjectSortMode::recent:
        return QStringLiteral("Recent");
    case ProjectSortMode::tags:
        return QStringLiteral("Tags");
    }
    return {};
}

QList<ViewMode> allViewModes()
{
    return {ViewMode::projects, ViewMode::plexor, ViewMode::preview};
}

QList<ProjectSortMode> allProjectSortModes()
{
    return {ProjectSortMode::recent, ProjectSortMode::tags};
}

std::optional<ViewMode> viewModeFromRawValue(const QString& raw)
{
    for (ViewMode mode : allViewModes()) {
        if (rawValue(mode) == raw)
            return mode;
    }
    return std::nullopt;
}

std::optional<ProjectSortMode> projectSortModeFromRawValue(const QString& raw)
{
    for (ProjectSortMode mode : allProjectSortModes()) {
        if (rawValue(mode) == raw)
            return mode;
    }
    return std::nullopt;
}
