#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// The stored pieces of one remembered project, as a preference file written by an earlier run
// holds them: a path-only bookmark and its record with a fixed id.
namespace SeededProject {

inline QByteArray bookmark(const QString& project)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("path"), project}})
        .toJson(QJsonDocument::Compact);
}

inline QJsonObject record(const QString& project, const QJsonArray& selectedPaths)
{
    return QJsonObject{
        {QStringLiteral("id"), QStringLiteral("6F1C2B6E-3D0A-4C2E-9E51-2D8F6A4B7C10")},
        {QStringLiteral("bookmarkData"), QString::fromLatin1(bookmark(project).toBase64())},
        {QStringLiteral("path"), project},
        {QStringLiteral("isPinned"), false},
        {QStringLiteral("lastAccessed"), 800000000.0},
        {QStringLiteral("savedSelectedPaths"), selectedPaths}};
}

} // namespace SeededProject
