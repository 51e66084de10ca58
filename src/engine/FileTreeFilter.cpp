#include "engine/FileTreeFilter.h"

#include "engine/PlexorViewModel.h"

#include <QRegularExpression>

#include <algorithm>

QStringList FileTreeFilter::words(const QString& query)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return query.split(space, Qt::SkipEmptyParts);
}

void FileTreeFilter::setTree(const FileItemList* nodes)
{
    m_nodes = nodes;
    m_words.clear();
    m_indexed = false;
    m_files.clear();
    m_folded.clear();
    m_offsets.clear();
    m_matches.clear();
    m_shown.clear();
    m_topLevel.clear();
}

void FileTreeFilter::index()
{
    if (m_indexed || !m_nodes)
        return;
    m_indexed = true;
    for (const FileItem* file : PlexorViewModel::filesIn(*m_nodes))
        m_files.push_back(const_cast<FileItem*>(file));
    if (m_files.empty())
        return;
    // Every top-level node sits directly in the project folder, so its path less its name is
    // the folder's path and the "/" after it.
    const FileItem& first = *m_nodes->front();
    const qsizetype rootLength = first.path().size() - first.nameView().size();
    qsizetype length = 0;
    for (const FileItem* file : m_files)
        length += file->path().size() - rootLength + 1;
    QString paths;
    paths.reserve(length);
    m_offsets.reserve(m_files.size() + 1);
    for (const FileItem* file : m_files) {
        m_offsets.push_back(paths.size());
        paths += QStringView(file->path()).mid(rootLength);
        // A separator no word holds, so that no find spans two paths.
        paths += u'\n';
    }
    m_offsets.push_back(paths.size());
    m_folded = std::move(paths).toCaseFolded();
    if (m_folded.size() != m_offsets.back()) {
        // Folding changed a length (rare letters outside the basic planes): fold per file.
        m_folded.clear();
        m_offsets.clear();
        for (const FileItem* file : m_files) {
            m_offsets.push_back(m_folded.size());
            m_folded += QStringView(file->path()).mid(rootLength).toString().toCaseFolded();
            m_folded += u'\n';
        }
        m_offsets.push_back(m_folded.size());
    }
}

bool FileTreeFilter::narrows(const QStringList& words) const
{
    if (m_words.isEmpty())
        return false;
    return std::all_of(m_words.begin(), m_words.end(), [&words](const QString& old) {
        return std::any_of(words.begin(), words.end(),
                           [&old](const QString& word) { return word.contains(old); });
    });
}

void FileTreeFilter::findAll(const QString& word)
{
    m_matches.clear();
    qsizetype at = m_folded.indexOf(word);
    while (at >= 0) {
        const auto next = std::upper_bound(m_offsets.begin(), m_offsets.end(), at);
        m_matches.push_back(next - m_offsets.begin() - 1);
        at = m_folded.indexOf(word, *next);
    }
}

void FileTreeFilter::keepContaining(const QString& word)
{
    std::erase_if(m_matches, [&](qsizetype file) {
        const QStringView path = QStringView(m_folded).mid(
            m_offsets[static_cast<size_t>(file)],
            m_offsets[static_cast<size_t>(file) + 1] - m_offsets[static_cast<size_t>(file)]);
        return !path.contains(word);
    });
}

void FileTreeFilter::setQuery(const QString& query)
{
    m_query = query;
    QStringList folded;
    for (const QString& word : words(query))
        folded.append(word.toCaseFolded());
    const bool narrowing = narrows(folded);
    m_words = folded;
    m_shown.clear();
    m_topLevel.clear();
    if (!isActive()) {
        m_matches.clear();
        return;
    }
    index();
    qsizetype first = 0;
    if (!narrowing) {
        // The longest word first: it is the rarest, and leaves the fewest to check.
        const auto longest = std::max_element(
            m_words.begin(), m_words.end(),
            [](const QString& a, const QString& b) { return a.size() < b.size(); });
        first = longest - m_words.begin();
        findAll(m_words.at(first));
    }
    for (qsizetype i = 0; i < m_words.size(); ++i) {
        if (narrowing || i != first)
            keepContaining(m_words.at(i));
    }
    buildShown();
}

void FileTreeFilter::buildShown()
{
    m_shown.reserve(static_cast<qsizetype>(m_matches.size()) * 2);
    // The finds come in tree pre-order, so a node that becomes shown comes after every shown
    // sibling before it: appending keeps the tree's order.
    for (const qsizetype match : m_matches) {
        FileItem* node = m_files[static_cast<size_t>(match)];
        while (true) {
            FileItem* parent = node->parent();
            if (!parent) {
                m_shown[node].row = static_cast<int>(m_topLevel.size());
                m_topLevel.push_back(node);
                break;
            }
            auto folder = m_shown.find(parent);
            const bool parentShown = folder != m_shown.end() && folder->row >= 0;
            if (folder == m_shown.end())
                folder = m_shown.insert(parent, Shown{});
            const int row = static_cast<int>(folder->children.size());
            folder->children.push_back(node);
            // Inserting may move the entries: nothing of the folder's entry is used after this.
            m_shown[node].row = row;
            if (parentShown)
                break;
            node = parent;
        }
    }
}

const std::vector<FileItem*>& FileTreeFilter::shownChildren(const FileItem* folder) const
{
    static const std::vector<FileItem*> none;
    if (!folder)
        return m_topLevel;
    const auto found = m_shown.constFind(folder);
    return found == m_shown.cend() ? none : found->children;
}

int FileTreeFilter::shownRow(const FileItem* node) const
{
    const auto found = m_shown.constFind(node);
    return found == m_shown.cend() ? -1 : found->row;
}

QList<const FileItem*> FileTreeFilter::shownFiles() const
{
    if (!isActive())
        return m_nodes ? PlexorViewModel::filesIn(*m_nodes) : QList<const FileItem*>();
    QList<const FileItem*> files;
    files.reserve(static_cast<qsizetype>(m_matches.size()));
    for (const qsizetype match : m_matches)
        files.append(m_files[static_cast<size_t>(match)]);
    return files;
}

void FileTreeFilter::selectShownFiles(PlexorViewModel& engine) const
{
    engine.select(shownFiles());
}

void FileTreeFilter::deselectShown(PlexorViewModel& engine) const
{
    if (isActive())
        engine.deselect(shownFiles());
    else
        engine.deselectAll();
}
