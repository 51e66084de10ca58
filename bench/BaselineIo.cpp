#include "BaselineIo.h"

#include "platform/MemoryAdvice.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BaselineIo {

namespace {

qint64 walkFolder(int fd, const QByteArray& skippedName)
{
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return 0;
    }
    qint64 count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        ++count;
        struct stat info;
        if (::fstatat(::dirfd(dir), name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(info.st_mode) && skippedName != name) {
            const int child = ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (child >= 0)
                count += walkFolder(child, skippedName);
        }
    }
    ::closedir(dir);
    return count;
}

} // namespace

qint64 walkAndStat(const QString& root, const QByteArray& skippedName)
{
    const int fd = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    return walkFolder(fd, skippedName);
}

qint64 readAll(const QStringList& paths, QByteArray& buffer)
{
    buffer.resize(0);
    for (const QString& path : paths) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info;
        if (::fstat(fd, &info) == 0) {
            const qsizetype start = buffer.size();
            buffer.resize(start + static_cast<qsizetype>(info.st_size));
            const ssize_t got =
                ::read(fd, buffer.data() + start, static_cast<size_t>(info.st_size));
            buffer.resize(start + (got > 0 ? got : 0));
        }
        ::close(fd);
    }
    return buffer.size();
}

qint64 readAllReserved(const QStringList& paths, QByteArray& buffer)
{
    qint64 total = 0;
    for (const QString& path : paths) {
        struct stat info;
        if (::stat(QFile::encodeName(path).constData(), &info) == 0)
            total += info.st_size;
    }
    buffer = QByteArray();
    buffer.reserve(static_cast<qsizetype>(total));
    MemoryAdvice::preferLargePages(buffer.constData(), buffer.capacity());
    return readAll(paths, buffer);
}

} // namespace BaselineIo
