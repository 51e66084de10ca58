#include "engine/GitWorkTree.h"

#include <QFile>
#include <QFileInfo>

#include <git2.h>

namespace {

// libgit2 keeps global state (its allocator, the search paths of the global configuration),
// set up once per process and kept until exit.
void initialiseLibrary()
{
    static const int initialised = git_libgit2_init();
    Q_UNUSED(initialised);
}

QString lastError()
{
    const git_error* error = git_error_last();
    return error && error->message ? QString::fromUtf8(error->message)
                                   : QStringLiteral("unknown git error");
}

std::string_view view(QByteArrayView bytes)
{
    return {bytes.data(), static_cast<size_t>(bytes.size())};
}

} // namespace

GitWorkTree::~GitWorkTree()
{
    git_index_free(m_index);
    git_repository_free(m_repository);
}

bool GitWorkTree::contains(const QString& folder)
{
    initialiseLibrary();
    git_repository* repository = nullptr;
    const QByteArray path = QFile::encodeName(folder);
    const bool found = git_repository_open_ext(&repository, path.constData(), 0, nullptr) == 0 &&
                       !git_repository_is_bare(repository);
    git_repository_free(repository);
    return found;
}

std::unique_ptr<GitWorkTree> GitWorkTree::open(const QString& folder)
{
    initialiseLibrary();
    const QByteArray path = QFile::encodeName(folder);
    std::unique_ptr<GitWorkTree> tree(new GitWorkTree);
    if (git_repository_open_ext(&tree->m_repository, path.constData(), 0, nullptr) != 0 ||
        git_repository_is_bare(tree->m_repository))
        return nullptr;
    const char* top = git_repository_workdir(tree->m_repository);
    if (!top)
        return nullptr;
    // The folder must lie at or below the work tree's top; both are compared resolved, since
    // libgit2 reports the top with links resolved.
    const QByteArray resolved = QFile::encodeName(QFileInfo(folder).canonicalFilePath()) + '/';
    const QByteArray topPath =
        QFile::encodeName(QFileInfo(QFile::decodeName(top)).canonicalFilePath()) + '/';
    if (!resolved.startsWith(topPath))
        return nullptr;
    tree->m_prefix = resolved.mid(topPath.size()).toStdString();
    if (!tree->loadIndex())
        return nullptr;
    return tree;
}

bool GitWorkTree::loadIndex()
{
    if (git_repository_index(&m_index, m_repository) != 0)
        return false;
    const size_t count = git_index_entrycount(m_index);
    m_trackedFiles.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const git_index_entry* entry = git_index_get_byindex(m_index, i);
        std::string_view path(entry->path);
        if (!path.starts_with(m_prefix))
            continue;
        path.remove_prefix(m_prefix.size());
        m_trackedFiles.insert(path);
        for (size_t slash = path.rfind('/'); slash != std::string_view::npos && slash > 0;
             slash = path.rfind('/', slash - 1)) {
            if (!m_trackedFolders.insert(path.substr(0, slash)).second)
                break;
        }
    }
    return true;
}

std::string GitWorkTree::fullPath(QByteArrayView relativePath, bool isFolder) const
{
    std::string path = m_prefix;
    path.append(view(relativePath));
    if (isFolder)
        path += '/';
    return path;
}

bool GitWorkTree::ignores(QByteArrayView relativePath, bool isFolder)
{
    const std::string_view path = view(relativePath);
    if (isFolder ? m_trackedFolders.contains(path) : m_trackedFiles.contains(path))
        return false;
    int ignored = 0;
    if (git_ignore_path_is_ignored(&ignored, m_repository,
                                   fullPath(relativePath, isFolder).c_str()) != 0)
        return false;
    return ignored != 0;
}

std::optional<QSet<QString>> GitWorkTree::changedFiles(QString* error)
{
    git_status_options options = GIT_STATUS_OPTIONS_INIT;
    options.show = GIT_STATUS_SHOW_INDEX_AND_WORKDIR;
    options.flags = GIT_STATUS_OPT_INCLUDE_UNTRACKED | GIT_STATUS_OPT_RECURSE_UNTRACKED_DIRS |
                    GIT_STATUS_OPT_RENAMES_HEAD_TO_INDEX | GIT_STATUS_OPT_EXCLUDE_SUBMODULES;
    git_status_list* list = nullptr;
    if (git_status_list_new(&list, m_repository, &options) != 0) {
        if (error)
            *error = lastError();
        return std::nullopt;
    }
    constexpr unsigned changed = GIT_STATUS_INDEX_NEW | GIT_STATUS_INDEX_MODIFIED |
                                 GIT_STATUS_INDEX_RENAMED | GIT_STATUS_INDEX_TYPECHANGE |
                                 GIT_STATUS_WT_NEW | GIT_STATUS_WT_MODIFIED |
                                 GIT_STATUS_WT_RENAMED | GIT_STATUS_WT_TYPECHANGE;
    QSet<QString> files;
    const size_t count = git_status_list_entrycount(list);
    for (size_t i = 0; i < count; ++i) {
        const git_status_entry* entry = git_status_byindex(list, i);
        if (!(entry->status & changed) || (entry->status & GIT_STATUS_WT_DELETED))
            continue;
        // The file's current path: the working tree's side when it has one.
        const git_diff_delta* delta =
            entry->index_to_workdir ? entry->index_to_workdir : entry->head_to_index;
        if (!delta || !delta->new_file.path)
            continue;
        const std::string_view path(delta->new_file.path);
        if (path.starts_with(m_prefix))
            files.insert(QString::fromUtf8(path.substr(m_prefix.size())));
    }
    git_status_list_free(list);
    return files;
}
