#include "platform/PosixFolderWalk.h"

#include "platform/FileNameText.h"
#include "platform/Log.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool outOfDescriptors(int error)
{
    return error == EMFILE || error == ENFILE;
}

} // namespace

std::unique_ptr<FolderWalk> FolderWalk::create()
{
    return std::make_unique<PosixFolderWalk>();
}

PosixFolderWalk::~PosixFolderWalk()
{
    closeAll();
}

void PosixFolderWalk::closeAll()
{
    for (const Level& level : m_levels) {
        if (level.dir)
            ::closedir(level.dir);
        else if (level.fd >= 0)
            ::close(level.fd);
    }
    m_levels.clear();
    m_openLevels = 0;
}

bool PosixFolderWalk::start(const QString& rootPath)
{
    closeAll();
    m_relativePath.clear();
    m_relativePath.reserve(256);
    m_nameOffset = 0;
    m_depth = 0;
    m_isFolder = false;
    m_descend = false;
    m_rootPath = QFile::encodeName(rootPath);
    if (m_rootPath.isEmpty())
        return false;
    // The root itself may be reached through a link: it is the folder the user chose.
    const int fd = ::open(m_rootPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR* root = ::fdopendir(fd);
    if (!root) {
        ::close(fd);
        return false;
    }
    m_levels.push_back(Level{root, fd, 0, {}, {}, 0});
    m_openLevels = 1;
    return true;
}

PosixFolderWalk::Kind PosixFolderWalk::classify(int parentFd, const char* name, unsigned char type)
{
    struct stat info;
    switch (type) {
    case DT_DIR:
        return Kind{true, true};
    case DT_LNK:
        // A link counts as a folder when it leads to one, but is never descended.
        return Kind{::fstatat(parentFd, name, &info, 0) == 0 && S_ISDIR(info.st_mode), false};
    case DT_UNKNOWN:
        if (::fstatat(parentFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return Kind{};
        if (S_ISDIR(info.st_mode))
            return Kind{true, true};
        if (S_ISLNK(info.st_mode))
            return Kind{::fstatat(parentFd, name, &info, 0) == 0 && S_ISDIR(info.st_mode), false};
        return Kind{};
    default:
        return Kind{};
    }
}

void PosixFolderWalk::spill(size_t index)
{
    Level& level = m_levels[index];
    if (level.dir) {
        while (const dirent* entry = ::readdir(level.dir)) {
            if (isDotOrDotDot(entry->d_name))
                continue;
            const Kind kind = classify(level.fd, entry->d_name, entry->d_type);
            level.pending.push_back(Pending{level.pendingNames.size(), kind});
            level.pendingNames.append(entry->d_name,
                                      static_cast<qsizetype>(std::strlen(entry->d_name)) + 1);
        }
        ::closedir(level.dir);
        level.dir = nullptr;
    } else {
        ::close(level.fd);
    }
    level.fd = -1;
    --m_openLevels;
}

bool PosixFolderWalk::spillShallowest(size_t keep)
{
    for (size_t i = 0; i < m_levels.size(); ++i) {
        if (i != keep && m_levels[i].fd >= 0) {
            spill(i);
            return true;
        }
    }
    return false;
}

int PosixFolderWalk::openFolder(int parentFd, const char* name, int extraFlags, size_t keep)
{
    for (;;) {
        const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | extraFlags);
        if (fd >= 0)
            return fd;
        if (errno == EINTR)
            continue;
        if (!outOfDescriptors(errno) || !spillShallowest(keep))
            return -1;
    }
}

int PosixFolderWalk::descriptorOf(size_t index)
{
    if (m_levels[index].fd >= 0)
        return m_levels[index].fd;
    // The nearest level above that still holds its descriptor; the levels between it and
    // `index` are opened one component at a time from there.
    size_t base = index;
    while (base > 0 && m_levels[base - 1].fd < 0)
        --base;
    int fd = -1;
    // Whether `fd` is a step of the way, closed once the next step is open.
    bool ownsFd = false;
    if (base == 0) {
        fd = openFolder(AT_FDCWD, m_rootPath.constData(), 0, index);
        if (fd < 0)
            return -1;
        ownsFd = true;
        base = 1;
    } else {
        fd = m_levels[base - 1].fd;
    }
    const size_t keep = base - 1;
    for (size_t k = base; k <= index; ++k) {
        const qsizetype from = m_levels[k - 1].prefixLength;
        const QByteArray component = m_relativePath.mid(from, m_levels[k].prefixLength - 1 - from);
        const int next = openFolder(fd, component.constData(), O_NOFOLLOW, keep);
        const int error = errno;
        if (ownsFd)
            ::close(fd);
        errno = error;
        if (next < 0)
            return -1;
        fd = next;
        ownsFd = true;
    }
    m_levels[index].fd = fd;
    ++m_openLevels;
    return fd;
}

void PosixFolderWalk::reportNoDescriptors(qsizetype relativeLength) const
{
    Log::line(QStringLiteral("Could not open folder ") + QFile::decodeName(m_rootPath) + u'/' +
              FileNameText::escaped(QByteArrayView(m_relativePath).first(relativeLength)) +
              QStringLiteral(": too many open files; its contents are left out."));
}

void PosixFolderWalk::descendIntoCurrent()
{
    m_descend = false;
    const size_t parent = m_levels.size() - 1;
    const qsizetype length = m_relativePath.size();
    if (m_openLevels >= MaxOpenLevels)
        spillShallowest(parent);
    const int parentFd = descriptorOf(parent);
    // A folder that cannot be opened is passed over silently: it contributes no entries.
    const int fd = parentFd < 0 ? -1
                                : openFolder(parentFd, m_relativePath.constData() + m_nameOffset,
                                             O_NOFOLLOW, parent);
    if (fd < 0) {
        if (outOfDescriptors(errno))
            reportNoDescriptors(length);
        return;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    m_relativePath.append('/');
    m_levels.push_back(Level{dir, fd, m_relativePath.size(), {}, {}, 0});
    ++m_openLevels;
}

void PosixFolderWalk::finishLevel()
{
    Level& level = m_levels.back();
    if (level.fd >= 0) {
        if (level.dir)
            ::closedir(level.dir);
        else
            ::close(level.fd);
        --m_openLevels;
    }
    m_levels.pop_back();
    if (!m_levels.empty())
        m_relativePath.truncate(m_levels.back().prefixLength);
}

bool PosixFolderWalk::next()
{
    if (m_descend)
        descendIntoCurrent();
    while (!m_levels.empty()) {
        Level& level = m_levels.back();
        const char* name = nullptr;
        Kind kind;
        if (level.dir) {
            const dirent* entry = ::readdir(level.dir);
            if (!entry) {
                // End of this folder (or a read error, which ends it just the same).
                finishLevel();
                continue;
            }
            if (isDotOrDotDot(entry->d_name))
                continue;
            name = entry->d_name;
            kind = classify(level.fd, name, entry->d_type);
        } else {
            if (level.nextPending == level.pending.size()) {
                finishLevel();
                continue;
            }
            const Pending& pending = level.pending[level.nextPending++];
            name = level.pendingNames.constData() + pending.nameOffset;
            kind = pending.kind;
        }
        m_relativePath.truncate(level.prefixLength);
        m_nameOffset = level.prefixLength;
        m_relativePath.append(name, static_cast<qsizetype>(std::strlen(name)));
        m_depth = static_cast<int>(m_levels.size()) - 1;
        m_isFolder = kind.isFolder;
        m_descend = kind.descend;
        return true;
    }
    return false;
}

QByteArrayView PosixFolderWalk::name() const
{
    return QByteArrayView(m_relativePath).sliced(m_nameOffset);
}

QByteArrayView PosixFolderWalk::relativePath() const
{
    return QByteArrayView(m_relativePath);
}
