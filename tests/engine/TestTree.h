#pragma once

#include "model/FileItem.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// A project folder made on disk for a test: <temporary>/app, filled with files and folders
// named by their relative paths.
class TestTree {
public:
    TestTree()
        : m_root(m_dir.path() + QStringLiteral("/app"))
    {
        QDir().mkpath(m_root);
    }

    // Entries made by addRaw() are removed here: the temporary folder's own clean-up works on
    // names as text and cannot remove those that are not UTF-8.
    ~TestTree()
    {
        for (auto raw = m_raw.crbegin(); raw != m_raw.crend(); ++raw) {
            if (raw->endsWith('/'))
                ::rmdir(raw->constData());
            else
                ::unlink(raw->constData());
        }
    }
    TestTree(const TestTree&) = delete;
    TestTree& operator=(const TestTree&) = delete;

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

    // Like add(), by the raw bytes of the relative path, so that names that are not UTF-8 can be
    // made. The folders above must exist.
    bool addRaw(const QByteArray& relative, const QByteArray& content = {}) const
    {
        const QByteArray full = QFile::encodeName(m_root) + '/' + relative;
        m_raw.push_back(full);
        if (relative.endsWith('/'))
            return ::mkdir(full.constData(), 0755) == 0;
        QFile file;
        const int fd = ::open(full.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        return fd >= 0 && file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle) &&
               file.write(content) == content.size();
    }

    bool addAll(const QStringList& relatives) const
    {
        return std::all_of(relatives.cbegin(), relatives.cend(),
                           [this](const QString& relative) { return add(relative); });
    }

    // The full paths of `relatives`, as saved selections hold them.
    QSet<QString> paths(const QStringList& relatives) const
    {
        QSet<QString> full;
        for (const QString& relative : relatives)
            full.insert(path(relative));
        return full;
    }

private:
    QTemporaryDir m_dir;
    QString m_root;
    mutable std::vector<QByteArray> m_raw;
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
