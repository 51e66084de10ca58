#include "platform/FileManager.h"

#include "platform/DesktopFileManager.h"

namespace {

FileManager* g_current = nullptr;

} // namespace

FileManager& FileManager::current()
{
    static DesktopFileManager desktop;
    return g_current ? *g_current : desktop;
}

void FileManager::setCurrent(FileManager* fileManager)
{
    g_current = fileManager;
}
