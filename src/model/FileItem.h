#pragma once

#include <QMetaType>
#include <QString>
#include <QStringView>
#include <QUuid>

#include <memory>
#include <vector>

class FileItem;
using FileItemList = std::vector<std::unique_ptr<FileItem>>;

// One node of a scanned project tree: a file or a folder.
//
// Nodes are made only by the folder scan (see engine/PlexorViewModel.h) and live in the engine's
// tree until the next scan replaces it. A node's id is fresh for every scan, so identity (==,
// qHash) is the id alone; anything persisted refers to nodes by path.
//
// The fixed fields (id, name, path, isFolder) never change after creation. The two mutable ones,
// isExpanded and the child list, are changed only through the engine, which announces every
// change, so a tree model can follow it.
//
// The layout is kept small because a project can have a hundred thousand nodes: the name is a
// view into the path rather than a second string, and a node is a plain object rather than a
// QObject. The parent pointer and the row index serve an item model wrapping the tree.
class FileItem {
public:
    FileItem(const QUuid& id, QString path, bool isFolder);
    FileItem(const FileItem&) = delete;
    FileItem& operator=(const FileItem&) = delete;

    const QUuid& id() const { return m_id; }
    // The entry's own name: the last component of its path.
    QStringView nameView() const { return QStringView(m_path).mid(m_nameOffset); }
    QString name() const { return m_path.mid(m_nameOffset); }
    // Absolute path: the scanned folder's path joined with the entry's relative path.
    const QString& path() const { return m_path; }
    bool isFolder() const { return m_isFolder; }
    bool isExpanded() const { return m_isExpanded; }

    // A file has no child list at all (hasChildList() is false); a folder has a list, which may
    // be empty while the scan has found nothing under it.
    bool hasChildList() const { return m_isFolder; }
    const FileItemList& children() const { return m_children; }
    int childCount() const { return static_cast<int>(m_children.size()); }
    FileItem* child(int row) const { return m_children[static_cast<size_t>(row)].get(); }

    // The folder holding this node, or nullptr for a top-level node.
    FileItem* parent() const { return m_parent; }
    // This node's index in its parent's children (or in the top-level list).
    int row() const { return m_row; }

    friend bool operator==(const FileItem& a, const FileItem& b) { return a.m_id == b.m_id; }

private:
    friend class PlexorViewModel;
    friend class FileTreeScanner;

    void setExpanded(bool expanded) { m_isExpanded = expanded; }
    // Takes `child` into this folder's list, at the end.
    void appendChild(std::unique_ptr<FileItem> child);
    // Renumbers parent and row of every node in `list` (the children of `parent`).
    static void adopt(FileItemList& list, FileItem* parent);

    QUuid m_id;
    QString m_path;
    FileItemList m_children;
    FileItem* m_parent = nullptr;
    int m_row = 0;
    int m_nameOffset = 0;
    bool m_isFolder = false;
    bool m_isExpanded = false;
};

inline size_t qHash(const FileItem& item, size_t seed = 0) noexcept
{
    return qHash(item.id(), seed);
}

Q_DECLARE_METATYPE(FileItem*)
Q_DECLARE_METATYPE(const FileItem*)
