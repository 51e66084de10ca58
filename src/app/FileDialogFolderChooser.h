#pragma once

#include "app/FolderChooser.h"

// The desktop's file dialog, choosing exactly one existing directory (files are not offered).
class FileDialogFolderChooser : public FolderChooser {
public:
    std::optional<QString> chooseFolder(QWidget* parent) override;
};
