#pragma once

#include <QString>

// The desktop's file manager, asked to show a folder to the user. Fire and forget: the request
// never blocks the caller and reports nothing back.
class FileManager {
public:
    virtual ~FileManager() = default;

    // Opens a file-manager window showing `folderPath` (an absolute path), selected inside its
    // parent folder where the file manager supports that.
    virtual void revealFolder(const QString& folderPath) = 0;

    // The file manager the application uses. Tests may install their own; the installed object
    // must outlive its use. Passing nullptr restores the desktop's file manager.
    static FileManager& current();
    static void setCurrent(FileManager* fileManager);
};
