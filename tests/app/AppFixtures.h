#pragma once

#include "StoredRecords.h"
#include "app/FolderChooser.h"
#include "engine/PlexorViewModel.h"
#include "model/PreferenceKeys.h"

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
// and `expanded` open, and the generate shortcut stored as `shortcut` when given; automatic
// update checks are off.
inline bool writePreferences(const QString& path, const QString& project,
                             const QStringList& selected, const QStringList& expanded = {},
                             const QString& shortcut = {})
{
    RecentFolder folder = StoredRecords::project(project, false, 800000000.0);
    folder.bookmarkData = QJsonDocument(QJsonObject{{QStringLiteral("path"), project}}).toJson();
    folder.savedSelectedPaths = QSet<QString>(selected.begin(), selected.end());
    folder.savedExpandedPaths = QSet<QString>(expanded.begin(), expanded.end());
    Preferences preferences(path);
    preferences.setBytes(PreferenceKeys::recentFoldersJson, RecentFolderCodec::encode({folder}));
    preferences.setBytes(PreferenceKeys::lastFolderBookmark, folder.bookmarkData);
    preferences.setBoolean(PreferenceKeys::enableAutomaticChecks, false);
    if (!shortcut.isEmpty())
        preferences.setText(
            PreferenceKeys::keyboardShortcutPrefix + QStringLiteral("generateProject"), shortcut);
    return preferences.flush();
}

} // namespace SeededProject
