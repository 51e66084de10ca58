#include "platform/PosixFolderWalk.h"

#include <QFile>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

DIR* openFolderAt(int parentFd, const char* name, int extraFlags)
{
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | extraFlags);
    if (fd < 0)
        return nullptr;
    DIR* dir = ::fdopendir(fd);
    if (!dir)
        ::close(fd);
    return dir;
}

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
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
    for (const Level& level : m_levels)
        ::closedir(level.dir);
    m_levels.clear();
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
    if (rootPath.isEmpty())
        return false;
    // The root itself may be reached through a link: it is the folder the user chose.
    DIR* root = openFolderAt(AT_FDCWD, QFile::encodeName(rootPath).constData(), 0);
    if (!root)
        return false;
    m_levels.push_back(Level{root, 0});
    return true;
}

void PosixFolderWalk::descendIntoCurrent()
{
    m_descend = false;
    const Level& parent = m_levels.back();
    // A folder that cannot be opened is passed over silently: it contributes no entries.
    DIR* dir =
        openFolderAt(::dirfd(parent.dir), m_relativePath.constData() + m_nameOffset, O_NOFOLLOW);
    if (!dir)
        return;
    m_relativePath.append('/');
    m_levels.push_back(Level{dir, m_relativePath.size()});
}

void PosixFolderWalk::classify(int parentFd, const char* name, unsigned char type)
{
    m_isFolder = false;
    m_descend = false;
    struct stat info;
    switch (type) {
    case DT_DIR:
        m_isFolder = true;
        m_descend = true;
        return;
    case DT_LNK:
        // A link counts as a folder when it leads to one, but is never descended.
        m_isFolder = ::fstatat(parentFd, name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        return;
    case DT_UNKNOWN:
        if (::fstatat(parentFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return;
        if (S_ISDIR(info.st_mode)) {
            m_isFolder = true;
            m_descend = true;
        } else if (S_ISLNK(info.st_mode)) {
            m_isFolder = ::fstatat(parentFd, name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        return;
    default:
        return;
    }
}

bool PosixFolderWalk::next()
{
    if (m_descend)
        descendIntoCurrent();
    while (!m_levels.empty()) {
        Level& level = m_levels.back();
        const dirent* entry = ::readdir(level.dir);
        if (!entry) {
            // End of this folder (or a read error, which ends it just the same).
            ::closedir(level.dir);
            m_levels.pop_back();
            if (!m_levels.empty())
                m_relativePath.truncate(m_levels.back().prefixLength);
            continue;
        }
        if (isDotOrDotDot(entry->d_name))
            continue;
        m_relativePath.truncate(level.prefixLength);
        m_nameOffset = level.prefixLength;
        m_relativePath.append(entry->d_name, static_cast<qsizetype>(std::strlen(entry->d_name)));
        m_depth = static_cast<int>(m_levels.size()) - 1;
        classify(::dirfd(level.dir), entry->d_name, entry->d_type);
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
