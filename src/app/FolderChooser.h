#pragma once

#include <QString>

#include <optional>

class QWidget;

// Asks the user for one folder to open. The application's chooser is a directory-only file
// dialog (FileDialogFolderChooser); tests answer with a folder of their own.
class FolderChooser {
public:
    virtual ~FolderChooser() = default;

    // Runs modally over `parent`. The chosen folder's absolute path, or none when the user
    // cancelled.
    virtual std::optional<QString> chooseFolder(QWidget* parent) = 0;
};
