#pragma once

#include "model/FileItem.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

// A project folder made on disk for a test: <temporary>/app, filled with files and folders
// named by their relative paths.
class TestTree {
public:
    TestTree()
        : m_root(m_dir.path() + QStringLiteral("/app"))
    {
        QDir().mkpath(m_root);
    }

    const QString& root() const { return m_root; }
    QString path(const QString& relative) const { return m_root + u'/' + relative; }

    // "a/b.c" makes the file (and its folders); "a/d/" makes the folder only.
    bool add(const QString& relative, const QByteArray& content = {}) const
    {
        if (relative.endsWith(u'/'))
            return QDir().mkpath(path(relative.chopped(1)));
        const QString full = path(relative);
        if (!QDir().mkpath(QFileInfo(full).absolutePath()))
            return false;
        QFile file(full);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        return file.write(content) == content.size();
    }

    bool addAll(const QStringList& relatives) const
    {
        return std::all_of(relatives.cbegin(), relatives.cend(),
                           [this](const QString& relative) { return add(relative); });
    }

    bool link(const QString& relative, const QString& target) const
    {
        return QFile::link(target, path(relative));
    }

private:
    QTemporaryDir m_dir;
    QString m_root;
};

// The tree as text with every level sorted by name, for order-free comparisons:
// "src/[main.c,sub/[a.h]],README.md". Folders end in "/" and show their children in brackets.
inline QString sortedShape(const FileItemList& nodes)
{
    QStringList parts;
    for (const auto& node : nodes) {
        QString part = node->name();
        if (node->isFolder())
            part += QStringLiteral("/[") + sortedShape(node->children()) + u']';
        parts.append(part);
    }
    parts.sort();
    return parts.join(u',');
}

// The node at `relative` below `root`, or nullptr.
inline FileItem* findNode(const FileItemList& nodes, const QString& root, const QString& relative)
{
    const QString wanted = root + u'/' + relative;
    for (const auto& node : nodes) {
        if (node->path() == wanted)
            return node.get();
        if (wanted.startsWith(node->path() + u'/'))
            return findNode(node->children(), root, relative);
    }
    return nullptr;
}
