#include "engine/FileTreeFilter.h"

#include "engine/PlexorViewModel.h"

#include <QRegularExpression>
#include <QStringMatcher>

#include <algorithm>

QStringList FileTreeFilter::words(const QString& query)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return query.split(space, Qt::SkipEmptyParts);
}

void FileTreeFilter::setTree(const FileItemList* nodes)
{
    m_tree = nodes;
    m_words.clear();
    m_indexed = false;
    m_nodes.clear();
    m_parents.clear();
    m_files.clear();
    m_folded.clear();
    m_offsets.clear();
    m_numbers.clear();
    m_matches.clear();
    m_rows.clear();
    m_children.clear();
    m_topLevel.clear();
    m_touched.clear();
}

void FileTreeFilter::number(const FileItemList& nodes, int parent)
{
    for (const auto& node : nodes) {
        const int own = static_cast<int>(m_nodes.size());
        m_nodes.push_back(node.get());
        m_parents.push_back(parent);
        if (node->isFolder())
            number(node->children(), own);
        else
            m_files.push_back(own);
    }
}

void FileTreeFilter::index()
{
    if (m_indexed || !m_tree)
        return;
    m_indexed = true;
    number(*m_tree, -1);
    m_rows.assign(m_nodes.size(), -1);
    m_children.resize(m_nodes.size());
    if (m_files.empty())
        return;
    // Every top-level node sits directly in the project folder, so its path less its name is
    // the folder's path and the "/" after it.
    const FileItem& first = *m_tree->front();
    const qsizetype rootLength = first.path().size() - first.nameView().size();
    const auto pathOf = [&](int file) {
        return QStringView(m_nodes[static_cast<size_t>(file)]->path()).mid(rootLength);
    };
    qsizetype length = 0;
    for (const int file : m_files)
        length += pathOf(file).size() + 1;
    QString paths;
    paths.reserve(length);
    m_offsets.reserve(m_files.size() + 1);
    for (const int file : m_files) {
        m_offsets.push_back(paths.size());
        paths += pathOf(file);
        // A separator no word holds, so that no find spans two paths.
        paths += u'\n';
    }
    m_offsets.push_back(paths.size());
    m_folded = std::move(paths).toCaseFolded();
    if (m_folded.size() != m_offsets.back()) {
        // Folding changed a length (rare letters outside the basic planes): fold per file.
        m_folded.clear();
        m_offsets.clear();
        for (const int file : m_files) {
            m_offsets.push_back(m_folded.size());
            m_folded += pathOf(file).toString().toCaseFolded();
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

namespace {

// One folded word, prepared once for searching many paths: a single letter by the processor's
// vector search for one character, a longer word by a skip table made once (a plain search
// would make its table again on every call, once per path).
class WordSearch {
public:
    explicit WordSearch(const QString& word)
        : m_word(word)
        , m_matcher(word)
    {}

    qsizetype in(QStringView text, qsizetype from = 0) const
    {
        return m_word.size() == 1 ? text.indexOf(m_word.front(), from)
                                  : m_matcher.indexIn(text, from);
    }

private:
    const QString& m_word;
    QStringMatcher m_matcher;
};

} // namespace

void FileTreeFilter::findAll(const QString& word, std::vector<qsizetype>& matches) const
{
    matches.clear();
    const WordSearch search(word);
    const QStringView text(m_folded);
    const qsizetype files = static_cast<qsizetype>(m_offsets.size()) - 1;
    qsizetype file = 0;
    for (qsizetype at = search.in(text); at >= 0;) {
        // The finds come in order, so the path holding this one is the last path found or one
        // after it: stepping forward costs one comparison per path over the whole search.
        while (m_offsets[static_cast<size_t>(file + 1)] <= at)
            ++file;
        matches.push_back(file);
        // The rest of this path cannot add anything: go on with the next one.
        if (++file >= files)
            break;
        at = search.in(text, m_offsets[static_cast<size_t>(file)]);
    }
}

void FileTreeFilter::keepContaining(const QString& word, std::vector<qsizetype>& matches) const
{
    const WordSearch search(word);
    std::erase_if(matches, [&](qsizetype file) {
        const size_t at = static_cast<size_t>(file);
        return search.in(
                   QStringView(m_folded).mid(m_offsets[at], m_offsets[at + 1] - m_offsets[at])) < 0;
    });
}

void FileTreeFilter::setQuery(const QString& query)
{
    prepareQuery(query);
    applyQuery();
}

bool FileTreeFilter::prepareQuery(const QString& query)
{
    m_pendingQuery = query;
    m_pendingWords.clear();
    for (const QString& word : words(query))
        m_pendingWords.append(word.toCaseFolded());
    m_pendingMatches.clear();
    if (m_pendingWords.isEmpty())
        return isActive();
    index();
    if (narrows(m_pendingWords)) {
        m_pendingMatches = m_matches;
        for (const QString& word : std::as_const(m_pendingWords))
            keepContaining(word, m_pendingMatches);
    } else {
        // The longest word first: it is the rarest, and leaves the fewest to check.
        const auto longest = std::max_element(
            m_pendingWords.begin(), m_pendingWords.end(),
            [](const QString& a, const QString& b) { return a.size() < b.size(); });
        findAll(*longest, m_pendingMatches);
        for (auto word = m_pendingWords.cbegin(); word != m_pendingWords.cend(); ++word) {
            if (word != longest)
                keepContaining(*word, m_pendingMatches);
        }
    }
    return !isActive() || m_pendingMatches != m_matches;
}

void FileTreeFilter::applyQuery()
{
    const bool changes = !isActive() || m_pendingWords.isEmpty() || m_pendingMatches != m_matches;
    m_query = std::move(m_pendingQuery);
    m_words = std::move(m_pendingWords);
    m_matches.swap(m_pendingMatches);
    m_pendingQuery.clear();
    m_pendingWords.clear();
    m_pendingMatches.clear();
    if (!changes)
        return;
    clearShown();
    if (isActive())
        buildShown();
}

void FileTreeFilter::clearShown()
{
    for (const int node : m_touched) {
        m_rows[static_cast<size_t>(node)] = -1;
        m_children[static_cast<size_t>(node)].clear();
    }
    m_touched.clear();
    m_topLevel.clear();
}

void FileTreeFilter::buildShown()
{
    // The finds come in tree pre-order, so a node that becomes shown comes after every shown
    // sibling before it: appending keeps the tree's order.
    for (const qsizetype match : m_matches) {
        int node = m_files[static_cast<size_t>(match)];
        while (true) {
            const int parent = m_parents[static_cast<size_t>(node)];
            std::vector<int>& siblings =
                parent < 0 ? m_topLevel : m_children[static_cast<size_t>(parent)];
            m_rows[static_cast<size_t>(node)] = static_cast<int>(siblings.size());
            siblings.push_back(node);
            m_touched.push_back(node);
            if (parent < 0 || m_rows[static_cast<size_t>(parent)] >= 0)
                break;
            node = parent;
        }
    }
}

int FileTreeFilter::shownCount(int folder) const
{
    const std::vector<int>& children =
        folder < 0 ? m_topLevel : m_children[static_cast<size_t>(folder)];
    return static_cast<int>(children.size());
}

int FileTreeFilter::shownChild(int folder, int row) const
{
    const std::vector<int>& children =
        folder < 0 ? m_topLevel : m_children[static_cast<size_t>(folder)];
    return children[static_cast<size_t>(row)];
}

int FileTreeFilter::numberOf(const FileItem* node) const
{
    if (m_numbers.isEmpty()) {
        m_numbers.reserve(static_cast<qsizetype>(m_nodes.size()));
        for (size_t i = 0; i < m_nodes.size(); ++i)
            m_numbers.insert(m_nodes[i], static_cast<int>(i));
    }
    return m_numbers.value(node, -1);
}

QList<const FileItem*> FileTreeFilter::shownFiles() const
{
    if (!isActive())
        return m_tree ? PlexorViewModel::filesIn(*m_tree) : QList<const FileItem*>();
    QList<const FileItem*> files;
    files.reserve(static_cast<qsizetype>(m_matches.size()));
    for (const qsizetype match : m_matches)
        files.append(m_nodes[static_cast<size_t>(m_files[static_cast<size_t>(match)])]);
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
