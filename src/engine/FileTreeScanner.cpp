#include "engine/FileTreeScanner.h"

#include "engine/GitWorkTree.h"
#include "platform/FileNameText.h"
#include "platform/FolderWalk.h"
#include "platform/Log.h"

#include <algorithm>

namespace {

constexpr QByteArrayView hiddenFinderFile(".DS_Store");

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

FileTreeScanner::FileTreeScanner(Options options)
    : m_options(std::move(options))
    , m_collator(nameCollator())
{}

QCollator FileTreeScanner::nameCollator()
{
    QLocale locale;
    // Qt compares plainly (no numbers by value) under the C locale.
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

const QList<QByteArray>& FileTreeScanner::ignoredNames()
{
    static const QList<QByteArray> names{".git", ".build",       ".vscode",
                                         "Pods", "node_modules", ".gitignore"};
    return names;
}

bool FileTreeScanner::isIgnoredName(QByteArrayView name)
{
    const QList<QByteArray>& names = ignoredNames();
    return std::any_of(names.begin(), names.end(),
                       [name](const QByteArray& ignored) { return name == ignored; });
}

QString FileTreeScanner::joinPath(const QString& base, QByteArrayView name)
{
    const bool needsSlash = !base.endsWith(u'/');
    const qsizetype head = base.size() + (needsSlash ? 1 : 0);
    if (!isAscii(name)) {
        QString joined = base;
        if (needsSlash)
            joined += u'/';
        return joined + QString::fromUtf8(name);
    }
    // The common case: one allocation of the exact size, the name widened in place.
    QString joined(head + name.size(), Qt::Uninitialized);
    QChar* out = joined.data();
    std::copy(base.cbegin(), base.cend(), out);
    if (needsSlash)
        out[base.size()] = u'/';
    out += head;
    for (const char c : name)
        *out++ = QLatin1Char(c);
    return joined;
}

bool FileTreeScanner::takesFile(QByteArrayView name) const
{
    if (m_options.showAllFiles)
        return true;
    const QList<QByteArray>& extensions = m_options.enabledExtensions;
    return std::any_of(extensions.begin(), extensions.end(),
                       [name](const QByteArray& extension) { return name.endsWith(extension); });
}

FileItemList FileTreeScanner::scan(FolderWalk& walk, const QString& rootPath)
{
    FileItemList topLevel;
    // folders[d]: the node of the last entry yielded at depth d when that entry is a folder in
    // the tree, otherwise nullptr. Entries at depth d + 1 belong to it.
    std::vector<FileItem*> folders;
    const QSet<QString>* expanded = m_options.savedExpandedPaths;
    if (expanded && expanded->isEmpty())
        expanded = nullptr;

    while (walk.next()) {
        const QByteArrayView name = walk.name();
        const auto depth = static_cast<size_t>(walk.depth());
        if (folders.size() <= depth)
            folders.resize(depth + 1, nullptr);
        folders[depth] = nullptr;

        if (isIgnoredName(name)) {
            walk.skipDescendants();
            continue;
        }
        if (name.endsWith(hiddenFinderFile))
            continue;
        const bool isFolder = walk.isFolder();
        if (!isFolder && !takesFile(name))
            continue;
        FileItem* parent = depth == 0 ? nullptr : folders[depth - 1];
        if (depth > 0 && !parent)
            continue;
        if (!isAscii(name) && !FileNameText::isValid(name)) {
            leaveOutUndecodable(walk, rootPath);
            continue;
        }
        if (m_options.gitIgnores && m_options.gitIgnores->ignores(walk.relativePath(), isFolder)) {
            walk.skipDescendants();
            continue;
        }

        auto node = std::make_unique<FileItem>(
            m_ids.next(), joinPath(parent ? parent->path() : rootPath, name), isFolder);
        if (expanded && expanded->contains(node->path()))
            node->setExpanded(true);
        FileItem* raw = node.get();
        if (parent)
            parent->appendChild(std::move(node));
        else
            topLevel.push_back(std::move(node));
        if (isFolder)
            folders[depth] = raw;
    }

    pruneAndSort(topLevel, nullptr);
    return topLevel;
}

void FileTreeScanner::leaveOutUndecodable(FolderWalk& walk, const QString& rootPath)
{
    // Nothing below such a folder can be named faithfully either.
    walk.skipDescendants();
    QString path = rootPath;
    if (!path.endsWith(u'/'))
        path += u'/';
    path += FileNameText::escaped(walk.relativePath());
    Log::line(QStringLiteral("Left out ") + path +
              QStringLiteral(": its name is not valid UTF-8."));
}

bool FileTreeScanner::comesBefore(const FileItem& a, const FileItem& b) const
{
    if (a.isFolder() != b.isFolder())
        return a.isFolder();
    const int order = m_collator.compare(a.nameView(), b.nameView());
    if (order != 0)
        return order < 0;
    return a.nameView().compare(b.nameView()) < 0;
}

void FileTreeScanner::pruneAndSort(FileItemList& list, FileItem* parent) const
{
    for (const auto& node : list) {
        if (node->isFolder())
            pruneAndSort(node->m_children, node.get());
    }
    // Every file in the tree already passed the file test when it was taken, so only folders
    // left empty are removed here.
    std::erase_if(list, [](const std::unique_ptr<FileItem>& node) {
        return node->isFolder() && node->m_children.empty();
    });
    std::sort(list.begin(), list.end(),
              [this](const std::unique_ptr<FileItem>& a, const std::unique_ptr<FileItem>& b) {
                  return comesBefore(*a, *b);
              });
    FileItem::adopt(list, parent);
}
