#pragma once

#include "app/FolderChooser.h"
#include "engine/PlexorViewModel.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// A folder chooser that answers what the test set (nothing by default) and counts the questions.
class FakeFolderChooser : public FolderChooser {
public:
    std::optional<QString> answer;
    int asked = 0;
    std::optional<QString> chooseFolder(QWidget*) override
    {
        ++asked;
        return answer;
    }
};

// The text made for one selected file with the standard prefix and suffix, and a preference
// file as an earlier run leaves it, with one remembered project opened at start.
namespace SeededProject {

inline QString expectedText(const QString& listed, const QString& content)
{
    return PlexorViewModel::defaultPrefixText() + QStringLiteral("\n\n") + listed +
           QStringLiteral("\n\n\n\n\n------------------------------------\n") + listed +
           QStringLiteral("\n------------------------------------\n\n") + content +
           QStringLiteral("\n\n") + PlexorViewModel::suffixSeparator() +
           PlexorViewModel::defaultSuffixText();
}

// Writes to `path` the preferences of a run that remembered `project` with `selected` ticked
// and `expanded` open, plus `extra` values; automatic update checks are off.
inline bool writePreferences(const QString& path, const QString& project,
                             const QStringList& selected, const QStringList& expanded = {},
                             QJsonObject extra = {})
{
    const auto base64 = [](const QByteArray& value) {
        return QJsonObject{{QStringLiteral("base64"), QString::fromLatin1(value.toBase64())}};
    };
    const QByteArray bookmark = QJsonDocument(QJsonObject{{QStringLiteral("path"), project}})
                                    .toJson(QJsonDocument::Compact);
    const QJsonObject record{
        {QStringLiteral("id"), QStringLiteral("6F1C2B6E-3D0A-4C2E-9E51-2D8F6A4B7C10")},
        {QStringLiteral("bookmarkData"), QString::fromLatin1(bookmark.toBase64())},
        {QStringLiteral("path"), project},
        {QStringLiteral("isPinned"), false},
        {QStringLiteral("lastAccessed"), 800000000.0},
        {QStringLiteral("savedSelectedPaths"), QJsonArray::fromStringList(selected)},
        {QStringLiteral("savedExpandedPaths"), QJsonArray::fromStringList(expanded)}};
    extra.insert(QStringLiteral("recentFoldersJson"),
                 base64(QJsonDocument(QJsonArray{record}).toJson(QJsonDocument::Compact)));
    extra.insert(QStringLiteral("lastFolderBookmark"), base64(bookmark));
    extra.insert(QStringLiteral("SUEnableAutomaticChecks"), false);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(extra).toJson()) > 0;
}

} // namespace SeededProject
