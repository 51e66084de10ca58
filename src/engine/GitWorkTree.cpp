#include "engine/GitWorkTree.h"

#include "engine/GitIndexFile.h"

#include "platform/Log.h"

#include <QFile>
#include <QFileInfo>

#include <git2.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

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

// A repository that is there but cannot be read leaves entries to the scan's own rules; the log
// says why.
void cannotRead(const std::string& gitDirectory)
{
    Log::line(QStringLiteral("Cannot read the git repository ") +
              QFile::decodeName(QByteArray::fromStdString(gitDirectory)) + QStringLiteral(": ") +
              lastError() + QStringLiteral("; .gitignore is not applied"));
}

// The run of the sorted `paths` in [begin, end) that start with `prefix`.
std::pair<size_t, size_t> runOf(const std::vector<std::string_view>& paths, size_t begin,
                                size_t end, std::string_view prefix)
{
    const auto first = paths.begin() + static_cast<std::ptrdiff_t>(begin);
    const auto last = paths.begin() + static_cast<std::ptrdiff_t>(end);
    // The paths that start with `prefix` come first among those not before it.
    const auto low = std::lower_bound(first, last, prefix);
    const auto high = std::partition_point(
        low, last, [prefix](std::string_view path) { return path.starts_with(prefix); });
    return {static_cast<size_t>(low - paths.begin()), static_cast<size_t>(high - paths.begin())};
}

// What tells one version of the index file from another: git replaces the file on every write.
struct IndexStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    static std::optional<IndexStamp> of(const QByteArray& path)
    {
        struct stat status {};
        if (::stat(path.constData(), &status) != 0)
            return std::nullopt;
        return IndexStamp{status.st_dev, status.st_ino, status.st_size, status.st_mtim};
    }
    bool operator==(const IndexStamp& other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

// Views into `text`, one per length in turn.
void viewsOf(const std::string& text, const std::vector<size_t>& lengths,
             std::vector<std::string_view>& views)
{
    views.clear();
    views.reserve(lengths.size());
    size_t start = 0;
    for (const size_t length : lengths) {
        views.emplace_back(text.data() + start, length);
        start += length;
    }
}

// The paths of the index file at `path`, read from the file mapped into memory; false when the
// file cannot be read this way.
bool readIndexFile(const QByteArray& path, GitIndexFile& index)
{
    QFile file(QFile::decodeName(path));
    const qint64 size = file.size();
    const uchar* mapped = file.open(QIODevice::ReadOnly) && size > 0 ? file.map(0, size) : nullptr;
    return mapped && index.read(QByteArrayView(mapped, size));
}

// The paths the index of the repository at `gitDirectory` tracks, with those of the shared index
// when it is split.
bool readTrackedPaths(const QByteArray& gitDirectory, std::string& text,
                      std::vector<std::string_view>& paths)
{
    GitIndexFile index;
    if (!readIndexFile(gitDirectory + "index", index))
        return false;
    if (!index.isSplit()) {
        text = std::move(index.text);
        viewsOf(text, index.lengths, paths);
        return true;
    }
    GitIndexFile shared;
    if (!readIndexFile(gitDirectory + "sharedindex." + index.sharedName, shared) ||
        shared.isSplit())
        return false;
    // The shared entries not deleted, then the entries the split index adds.
    std::vector<size_t> lengths;
    size_t from = 0;
    auto deleted = index.deleted.cbegin();
    for (size_t i = 0; i < shared.lengths.size(); from += shared.lengths[i++]) {
        while (deleted != index.deleted.cend() && deleted->second <= i)
            ++deleted;
        if (deleted != index.deleted.cend() && deleted->first <= i)
            continue;
        text.append(shared.text, from, shared.lengths[i]);
        lengths.push_back(shared.lengths[i]);
    }
    from = 0;
    for (size_t i = 0; i < index.lengths.size(); from += index.lengths[i++]) {
        if (i >= index.replaced) {
            text.append(index.text, from, index.lengths[i]);
            lengths.push_back(index.lengths[i]);
        }
    }
    viewsOf(text, lengths, paths);
    return true;
}

} // namespace

// One opened repository with the paths its index tracks.
struct GitWorkTree::Repository {
    git_repository* repository = nullptr;
    std::string gitDirectory;
    // The index's paths (from the top, no trailing "/") in byte order, read again when the index
    // file changed on disk.
    std::optional<IndexStamp> indexed;
    std::string trackedText;
    std::vector<std::string_view> tracked;

    // Reads the tracked paths unless the index file is the one read last; false when it cannot
    // be read.
    bool readIndex();

    Repository() = default;
    Repository(const Repository&) = delete;
    Repository& operator=(const Repository&) = delete;
    ~Repository() { git_repository_free(repository); }

private:
    bool readThroughLibrary();
};

bool GitWorkTree::Repository::readIndex()
{
    const QByteArray directory(git_repository_path(repository));
    const std::optional<IndexStamp> stamp = IndexStamp::of(directory + "index");
    if (stamp && indexed && *stamp == *indexed)
        return true;
    indexed.reset();
    tracked.clear();
    trackedText.clear();
    // No index yet (nothing was ever added): nothing is tracked.
    if (!stamp && !QFileInfo::exists(QFile::decodeName(directory + "index")))
        return true;
    if (!readTrackedPaths(directory, trackedText, tracked)) {
        trackedText.clear();
        if (!readThroughLibrary())
            return false;
    }
    // The index keeps its entries sorted; only an index that ignores case sorts differently, and
    // a split index adds its entries after the shared ones.
    if (!std::is_sorted(tracked.begin(), tracked.end()))
        std::sort(tracked.begin(), tracked.end());
    indexed = stamp;
    return true;
}

// For the index layouts not read above (a sparse index).
bool GitWorkTree::Repository::readThroughLibrary()
{
    git_index* index = nullptr;
    if (git_repository_index(&index, repository) != 0 || git_index_read(index, 1) != 0) {
        git_index_free(index);
        return false;
    }
    const size_t count = git_index_entrycount(index);
    std::vector<size_t> lengths;
    lengths.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const char* path = git_index_get_byindex(index, i)->path;
        lengths.push_back(std::strlen(path));
        trackedText.append(path, lengths.back());
    }
    git_index_free(index);
    viewsOf(trackedText, lengths, tracked);
    return true;
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
    if (last && last->gitDirectory == gitDirectory) {
        repository = last;
    } else {
        repository = std::make_shared<Repository>();
        repository->gitDirectory = gitDirectory;
        if (git_repository_open(&repository->repository, gitDirectory.c_str()) != 0) {
            cannotRead(gitDirectory);
            return nullptr;
        }
        if (git_repository_is_bare(repository->repository))
            return nullptr;
        last = repository;
    }
    if (!repository->readIndex()) {
        cannotRead(gitDirectory);
        return nullptr;
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
    tree->m_prefix = resolved.mid(topPath.size()).toStdString();
    const std::vector<std::string_view>& tracked = tree->m_open->tracked;
    Folder& project = tree->m_folders.emplace_back();
    std::tie(project.begin, project.end) = runOf(tracked, 0, tracked.size(), tree->m_prefix);
    // The top of a work tree is never ignored; a folder below it may be.
    if (tree->m_prefix.empty())
        project.ignored = false;
    return tree;
}

GitWorkTree::Folder GitWorkTree::enter(const Folder& above, std::string_view name) const
{
    Folder folder;
    folder.path.reserve(above.path.size() + name.size() + 1);
    folder.path.append(above.path).append(name).append(1, '/');
    const std::string full = m_prefix + folder.path;
    std::tie(folder.begin, folder.end) = runOf(m_open->tracked, above.begin, above.end, full);
    if (above.ignored == true)
        folder.ignored = true;
    return folder;
}

GitWorkTree::Folder& GitWorkTree::folderAt(std::string_view parent)
{
    // Leave the folders the walk has left (the project folder holds everything) ...
    while (m_folders.size() > 1 && !parent.starts_with(m_folders.back().path))
        m_folders.pop_back();
    // ... and enter any folder down to `parent` that was not met (a walk meets every folder
    // before what is inside it, so this is for other orders of asking).
    while (m_folders.back().path.size() < parent.size()) {
        const std::string_view rest = parent.substr(m_folders.back().path.size());
        m_folders.push_back(enter(m_folders.back(), rest.substr(0, rest.find('/'))));
    }
    return m_folders.back();
}

bool GitWorkTree::isIgnored(size_t level)
{
    Folder& folder = m_folders[level];
    if (!folder.ignored)
        folder.ignored = askGit(folder.path);
    return *folder.ignored;
}

bool GitWorkTree::askGit(std::string_view path)
{
    // A path ending in "/" is asked about as a folder.
    m_path.assign(m_prefix).append(path);
    int ignored = 0;
    if (git_ignore_path_is_ignored(&ignored, m_repository, m_path.c_str()) != 0)
        return false;
    return ignored != 0;
}

bool GitWorkTree::ignores(QByteArrayView relativePath, bool isFolder)
{
    const std::string_view path(relativePath.data(), static_cast<size_t>(relativePath.size()));
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    Folder& folder = folderAt(path.substr(0, nameStart));
    const size_t level = m_folders.size() - 1;
    if (!isFolder) {
        // A tracked file is never ignored.
        m_key.assign(m_prefix).append(path);
        const auto first = m_open->tracked.begin() + static_cast<std::ptrdiff_t>(folder.begin);
        const auto last = m_open->tracked.begin() + static_cast<std::ptrdiff_t>(folder.end);
        if (std::binary_search(first, last, std::string_view(m_key)))
            return false;
        return isIgnored(level) || askGit(path);
    }
    // A folder holding tracked files is walked: its untracked entries are decided one by one.
    Folder inside = enter(folder, path.substr(nameStart));
    if (inside.begin == inside.end) {
        if (isIgnored(level) || askGit(inside.path))
            return true;
        inside.ignored = false;
    }
    m_folders.push_back(std::move(inside));
    return false;
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
