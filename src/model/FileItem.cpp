#include "model/FileItem.h"

FileItem::FileItem(const QUuid& id, QString path, bool isFolder)
    : m_id(id)
    , m_path(std::move(path))
    , m_nameOffset(static_cast<int>(m_path.lastIndexOf(u'/') + 1))
    , m_isFolder(isFolder)
{}

void FileItem::appendChild(std::unique_ptr<FileItem> child)
{
    child->m_parent = this;
    child->m_row = static_cast<int>(m_children.size());
    m_children.push_back(std::move(child));
}

void FileItem::adopt(FileItemList& list, FileItem* parent)
{
    int row = 0;
    for (const auto& node : list) {
        node->m_parent = parent;
        node->m_row = row++;
    }
}
