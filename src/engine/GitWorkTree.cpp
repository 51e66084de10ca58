#include "engine/GitWorkTree.h"

#include <QFile>
#include <QFileInfo>

#include <git2.h>

#include <string_view>
#include <unordered_set>

namespace {

// libgit2 keeps global state (its allocator, the search paths of the global configuration):
// set up on first use, released when the process exits.
void initialiseLibrary()
{
    struct Library {
        Library() { git_libgit2_init(); }
        ~Library() { git_libgit2_shutdown(); }
        Library(const Library&) = delete;
        Library& operator=(const Library&) = delete;
    };
    static const Library library;
}

QString lastError()
{
    const git_error* error = git_error_last();
    return error && error->message ? QString::fromUtf8(error->message)
                                   : QStringLiteral("unknown git error");
}

} // namespace

// One opened repository with its index.
struct GitWorkTree::Repository {
    git_repository* repository = nullptr;
    git_index* index = nullptr;
    std::string gitDirectory;
    // The index's files and every folder above one (paths from the top, no trailing "/"),
    // pointing into the index's own path texts; made again whenever the index was read again.
    git_oid indexed{};
    const git_index_entry* firstEntry = nullptr;
    size_t entryCount = 0;
    std::unordered_set<std::string_view> trackedFiles;
    std::unordered_set<std::string_view> trackedFolders;

    void tabulate();

    Repository() = default;
    Repository(const Repository&) = delete;
    Repository& operator=(const Repository&) = delete;
    ~Repository()
    {
        git_index_free(index);
        git_repository_free(repository);
    }
};

void GitWorkTree::Repository::tabulate()
{
    // A read that parsed the file again (same content or not) leaves new entries behind.
    const git_oid* checksum = git_index_checksum(index);
    const size_t count = git_index_entrycount(index);
    const git_index_entry* first = count > 0 ? git_index_get_byindex(index, 0) : nullptr;
    if (first && first == firstEntry && count == entryCount && checksum &&
        git_oid_equal(checksum, &indexed))
        return;
    if (checksum)
        git_oid_cpy(&indexed, checksum);
    firstEntry = first;
    entryCount = count;
    trackedFiles.clear();
    trackedFolders.clear();
    trackedFiles.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const std::string_view path(git_index_get_byindex(index, i)->path);
        trackedFiles.insert(path);
        for (size_t slash = path.rfind('/'); slash != std::string_view::npos && slash > 0;
             slash = path.rfind('/', slash - 1)) {
            if (!trackedFolders.insert(path.substr(0, slash)).second)
                break;
        }
    }
}

namespace {

// The repository opened last, kept so that the next scan of the same project reads its index
// again only when the file changed on disk: reading the index of a large repository costs a
// good part of a scan.
std::shared_ptr<GitWorkTree::Repository>& lastRepository()
{
    static std::shared_ptr<GitWorkTree::Repository> last;
    return last;
}

} // namespace

GitWorkTree::GitWorkTree() = default;
GitWorkTree::~GitWorkTree() = default;

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
    git_buf found = GIT_BUF_INIT;
    if (git_repository_discover(&found, path.constData(), 0, nullptr) != 0)
        return nullptr;
    const std::string gitDirectory(found.ptr, found.size);
    git_buf_dispose(&found);

    std::shared_ptr<Repository>& last = lastRepository();
    std::shared_ptr<Repository> repository;
    if (last && last->gitDirectory == gitDirectory && git_index_read(last->index, 0) == 0) {
        repository = last;
    } else {
        repository = std::make_shared<Repository>();
        repository->gitDirectory = gitDirectory;
        if (git_repository_open(&repository->repository, gitDirectory.c_str()) != 0 ||
            git_repository_is_bare(repository->repository) ||
            git_repository_index(&repository->index, repository->repository) != 0)
            return nullptr;
        last = repository;
    }
    const char* top = git_repository_workdir(repository->repository);
    if (!top)
        return nullptr;
    // The folder must lie at or below the work tree's top; both are compared resolved, since
    // libgit2 reports the top with links resolved.
    const QByteArray resolved = QFile::encodeName(QFileInfo(folder).canonicalFilePath()) + '/';
    const QByteArray topPath =
        QFile::encodeName(QFileInfo(QFile::decodeName(top)).canonicalFilePath()) + '/';
    if (!resolved.startsWith(topPath))
        return nullptr;
    std::unique_ptr<GitWorkTree> tree(new GitWorkTree);
    tree->m_open = std::move(repository);
    tree->m_repository = tree->m_open->repository;
    tree->m_index = tree->m_open->index;
    tree->m_prefix = resolved.mid(topPath.size()).toStdString();
    tree->m_open->tabulate();
    return tree;
}

bool GitWorkTree::ignores(QByteArrayView relativePath, bool isFolder)
{
    // A tracked file is never ignored, and a folder holding tracked files is walked (its
    // untracked entries are asked about one by one).
    m_path.assign(m_prefix);
    m_path.append(relativePath.data(), static_cast<size_t>(relativePath.size()));
    const std::string_view path(m_path);
    if (isFolder ? m_open->trackedFolders.contains(path) : m_open->trackedFiles.contains(path))
        return false;
    if (isFolder)
        m_path += '/';
    int ignored = 0;
    if (git_ignore_path_is_ignored(&ignored, m_repository, m_path.c_str()) != 0)
        return false;
    return ignored != 0;
}

std::optional<QSet<QString>> GitWorkTree::changedFiles(QString* error)
{
    git_status_options options;
    git_status_options_init(&options, GIT_STATUS_OPTIONS_VERSION);
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
