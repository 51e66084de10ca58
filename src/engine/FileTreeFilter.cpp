#include "engine/FileTreeFilter.h"

#include "engine/PlexorViewModel.h"

#include <QRegularExpression>

QStringList FileTreeFilter::words(const QString& query)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return query.split(space, Qt::SkipEmptyParts);
}

bool FileTreeFilter::matches(QStringView relativePath, const QStringList& words)
{
    return std::all_of(words.begin(), words.end(), [relativePath](const QString& word) {
        return relativePath.contains(word, Qt::CaseInsensitive);
    });
}

void FileTreeFilter::clear()
{
    m_query.clear();
    m_words.clear();
    m_children.clear();
    m_rows.clear();
    m_files.clear();
}

void FileTreeFilter::apply(const FileItemList& nodes, const QString& query)
{
    clear();
    m_query = query;
    m_words = words(query);
    if (!isActive()) {
        m_files = PlexorViewModel::filesIn(nodes);
        return;
    }
    if (nodes.empty())
        return;
    // Every top-level node sits directly in the project folder, so its path less its name is
    // the folder's path and the "/" after it.
    const FileItem& first = *nodes.front();
    const qsizetype rootLength = first.path().size() - first.nameView().size();
    collect(nodes, nullptr, rootLength);
}

bool FileTreeFilter::collect(const FileItemList& nodes, FileItem* parent, qsizetype rootLength)
{
    std::vector<FileItem*> shown;
    for (const auto& node : nodes) {
        bool show = false;
        if (node->isFolder()) {
            show = collect(node->children(), node.get(), rootLength);
        } else if (matches(QStringView(node->path()).mid(rootLength), m_words)) {
            show = true;
            m_files.append(node.get());
        }
        if (show) {
            m_rows.insert(node.get(), static_cast<int>(shown.size()));
            shown.push_back(node.get());
        }
    }
    if (shown.empty())
        return false;
    m_children.insert(parent, std::move(shown));
    return true;
}

const std::vector<FileItem*>& FileTreeFilter::shownChildren(const FileItem* folder) const
{
    static const std::vector<FileItem*> none;
    const auto found = m_children.constFind(folder);
    return found == m_children.cend() ? none : *found;
}

void FileTreeFilter::selectShownFiles(PlexorViewModel& engine) const
{
    engine.select(m_files);
}

void FileTreeFilter::deselectShown(PlexorViewModel& engine) const
{
    if (isActive())
        engine.deselect(m_files);
    else
        engine.deselectAll();
}
