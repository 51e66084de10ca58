#include "ui/FileTreeModel.h"

#include "engine/TokenCounter.h"

#include "engine/PlexorViewModel.h"
#include "model/FileItem.h"

#include <utility>
#include <vector>

FileTreeModel::FileTreeModel(PlexorViewModel& engine, QObject* parent)
    : QAbstractItemModel(parent)
    , m_engine(engine)
    , m_shownSelection(engine.selectedFiles())
{
    m_filter.setTree(&m_engine.files());
    connect(&m_engine, &PlexorViewModel::filesAboutToChange, this, &FileTreeModel::beginResetModel);
    connect(&m_engine, &PlexorViewModel::filesAboutToChange, this,
            [this] { m_filter.setTree(nullptr); });
    connect(&m_engine, &PlexorViewModel::filesChanged, this, [this] {
        // The views forget every row with the reset, so the selection they see starts afresh.
        m_shownSelection = m_engine.selectedFiles();
        m_filter.setTree(&m_engine.files());
        m_filter.setQuery(m_filter.query());
        endResetModel();
    });
    connect(&m_engine, &PlexorViewModel::selectedFilesChanged, this,
            &FileTreeModel::announceSelectionChanges);
    connect(&m_engine, &PlexorViewModel::expansionChanged, this, [this](FileItem* item) {
        const QModelIndex index = indexOf(item);
        if (!index.isValid())
            return;
        Q_EMIT dataChanged(index, index, {ExpandedRole});
        Q_EMIT expansionChanged(index, item->isExpanded());
    });
}

int FileTreeModel::filterNumber(const QModelIndex& index)
{
    return index.isValid() ? static_cast<int>(index.internalId()) : -1;
}

void FileTreeModel::setFilterQuery(const QString& query)
{
    // Typing on in a wide query often shows the very same files: then nothing is reset.
    if (!m_filter.prepareQuery(query)) {
        m_filter.applyQuery();
        return;
    }
    beginResetModel();
    m_filter.applyQuery();
    m_shownSelection = m_engine.selectedFiles();
    endResetModel();
}

QModelIndex FileTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column != 0)
        return {};
    if (m_filter.isActive()) {
        const int folder = filterNumber(parent);
        if ((parent.isValid() && parent.column() != 0) || row >= m_filter.shownCount(folder))
            return {};
        return createIndex(row, 0, quintptr(m_filter.shownChild(folder, row)));
    }
    if (!parent.isValid()) {
        const FileItemList& top = m_engine.files();
        if (static_cast<size_t>(row) >= top.size())
            return {};
        return createIndex(row, 0, top[static_cast<size_t>(row)].get());
    }
    const FileItem* folder = node(parent);
    if (!folder || parent.column() != 0 || row >= folder->childCount())
        return {};
    return createIndex(row, 0, folder->child(row));
}

QModelIndex FileTreeModel::parent(const QModelIndex& child) const
{
    if (m_filter.isActive()) {
        const int folder = child.isValid() ? m_filter.parentOf(filterNumber(child)) : -1;
        if (folder < 0)
            return {};
        return createIndex(m_filter.shownRow(folder), 0, quintptr(folder));
    }
    const FileItem* item = node(child);
    if (!item || !item->parent())
        return {};
    return indexOf(item->parent());
}

int FileTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    if (m_filter.isActive())
        return m_filter.shownCount(filterNumber(parent));
    if (!parent.isValid())
        return static_cast<int>(m_engine.files().size());
    if (parent.column() != 0)
        return 0;
    const FileItem* item = node(parent);
    return item ? item->childCount() : 0;
}

int FileTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool FileTreeModel::hasChildren(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return false;
    if (m_filter.isActive())
        return m_filter.shownCount(filterNumber(parent)) > 0;
    if (!parent.isValid())
        return !m_engine.files().empty();
    if (parent.column() != 0)
        return false;
    const FileItem* item = node(parent);
    return item && item->isFolder() && item->childCount() > 0;
}

QVariant FileTreeModel::data(const QModelIndex& index, int role) const
{
    const FileItem* item = node(index);
    if (!item)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return item->name();
    case Qt::ToolTipRole:
    case PathRole:
        return item->path();
    case IsFolderRole:
        return item->isFolder();
    case SelectedRole:
        return m_engine.isSelected(item->id());
    case Qt::CheckStateRole:
        return m_engine.isSelected(item->id()) ? Qt::Checked : Qt::Unchecked;
    case ExpandedRole:
        return item->isExpanded();
    case TokenCountRole:
        if (m_tokens && !item->isFolder()) {
            if (const auto tokens = m_tokens->fileTokens(item->path()))
                return *tokens;
        }
        return {};
    default:
        return {};
    }
}

bool FileTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const FileItem* item = node(index);
    if (!item || (role != SelectedRole && role != Qt::CheckStateRole))
        return false;
    const bool wanted = role == SelectedRole ? value.toBool()
                                             : value.value<Qt::CheckState>() == Qt::Checked ||
                                                   value.toInt() == Qt::Checked;
    if (wanted != m_engine.isSelected(item->id()))
        toggleSelection(index);
    return true;
}

Qt::ItemFlags FileTreeModel::flags(const QModelIndex& index) const
{
    const FileItem* item = node(index);
    if (!item)
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsUserCheckable;
    if (!hasChildren(index))
        result |= Qt::ItemNeverHasChildren;
    return result;
}

QHash<int, QByteArray> FileTreeModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractItemModel::roleNames();
    names.insert(PathRole, "path");
    names.insert(IsFolderRole, "isFolder");
    names.insert(SelectedRole, "selected");
    names.insert(ExpandedRole, "isExpanded");
    return names;
}

FileItem* FileTreeModel::node(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    if (m_filter.isActive())
        return m_filter.node(filterNumber(index));
    return static_cast<FileItem*>(index.internalPointer());
}

QModelIndex FileTreeModel::indexOf(const FileItem* item) const
{
    if (!item)
        return {};
    if (m_filter.isActive()) {
        const int number = m_filter.numberOf(item);
        const int row = number < 0 ? -1 : m_filter.shownRow(number);
        return row < 0 ? QModelIndex() : createIndex(row, 0, quintptr(number));
    }
    return createIndex(item->row(), 0, item);
}

void FileTreeModel::toggleSelection(const QModelIndex& index)
{
    const FileItem* item = node(index);
    if (!item)
        return;
    m_toggledNode = item;
    m_engine.toggleSelection(item->id());
    m_toggledNode = nullptr;
}

void FileTreeModel::announceSelected(const FileItem* item)
{
    const QModelIndex index = indexOf(item);
    if (!index.isValid())
        return;
    Q_EMIT dataChanged(index, index, {SelectedRole, Qt::CheckStateRole});
}

void FileTreeModel::announceSelectionChanges()
{
    const QSet<QUuid>& now = m_engine.selectedFiles();
    QSet<QUuid> changed;
    for (const QUuid& id : now) {
        if (!m_shownSelection.contains(id))
            changed.insert(id);
    }
    for (const QUuid& id : std::as_const(m_shownSelection)) {
        if (!now.contains(id))
            changed.insert(id);
    }
    m_shownSelection = now;
    if (changed.isEmpty())
        return;
    if (m_toggledNode && changed.size() == 1 && changed.contains(m_toggledNode->id())) {
        announceSelected(m_toggledNode);
        return;
    }
    // A change from elsewhere (a scan restoring a selection): find the nodes by walking the
    // tree once, stopping when all are found. Ids of an earlier tree are never found and cost
    // one walk at most.
    std::vector<const FileItem*> pending;
    pending.reserve(m_engine.files().size());
    for (auto it = m_engine.files().rbegin(); it != m_engine.files().rend(); ++it)
        pending.push_back(it->get());
    while (!pending.empty() && !changed.isEmpty()) {
        const FileItem* item = pending.back();
        pending.pop_back();
        if (changed.remove(item->id()))
            announceSelected(item);
        const FileItemList& children = item->children();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            pending.push_back(it->get());
    }
}
