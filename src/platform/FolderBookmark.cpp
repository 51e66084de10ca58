#include "platform/FolderBookmark.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

QString BookmarkError::description() const
{
    return QStringLiteral("Error Domain=FolderBookmark Code=%1 \"%2\"")
        .arg(code)
        .arg(localizedDescription);
}

namespace {

BookmarkService* g_current = nullptr;

BookmarkError folderError(int code, const QString& message)
{
    return BookmarkError{code, message};
}

BookmarkError missingFolder(const QString& path)
{
    return folderError(BookmarkService::FolderMissing,
                       QStringLiteral("The folder \u201C%1\u201D doesn\u2019t exist.").arg(path));
}

// Checks that `path` names a readable folder and fills its identity.
std::optional<BookmarkError> inspectFolder(const QString& path, struct stat* info)
{
    // A name with a NUL character cannot exist; the system call would look at the shorter name
    // before it instead.
    if (path.contains(QChar(0)))
        return missingFolder(path);
    const QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), info) != 0) {
        const int saved = errno;
        if (saved == ENOENT || saved == ENOTDIR)
            return missingFolder(path);
        return folderError(BookmarkService::FolderUnreadable,
                           QStringLiteral("The folder \u201C%1\u201D couldn\u2019t be opened: %2")
                               .arg(path, QString::fromLocal8Bit(std::strerror(saved))));
    }
    if (!S_ISDIR(info->st_mode))
        return folderError(BookmarkService::NotAFolder,
                           QStringLiteral("\u201C%1\u201D is not a folder.").arg(path));
    if (::access(native.constData(), R_OK | X_OK) != 0)
        return folderError(BookmarkService::FolderUnreadable,
                           QStringLiteral("You don\u2019t have permission to read the folder "
                                          "\u201C%1\u201D.")
                               .arg(path));
    return std::nullopt;
}

} // namespace

BookmarkService& BookmarkService::current()
{
    static LocalBookmarkService local;
    return g_current ? *g_current : local;
}

void BookmarkService::setCurrent(BookmarkService* service)
{
    g_current = service;
}

BookmarkService::Result<QByteArray> LocalBookmarkService::create(const QString& folderPath)
{
    Result<QByteArray> result;
    const QString path = QDir::cleanPath(QFileInfo(folderPath).absoluteFilePath());
    struct stat info {};
    if (auto error = inspectFolder(path, &info)) {
        result.error = *error;
        return result;
    }
    QJsonObject object{{QStringLiteral("version"), 1},
                       {QStringLiteral("path"), path},
                       {QStringLiteral("device"), static_cast<double>(info.st_dev)},
                       {QStringLiteral("inode"), static_cast<double>(info.st_ino)}};
    result.value = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return result;
}

BookmarkService::Result<BookmarkService::Resolved>
LocalBookmarkService::resolve(const QByteArray& bookmark)
{
    Result<Resolved> result;
    const QJsonDocument document = QJsonDocument::fromJson(bookmark);
    const QJsonObject object = document.object();
    const QJsonValue pathValue = object.value(QStringLiteral("path"));
    if (!document.isObject() || !pathValue.isString() || pathValue.toString().isEmpty() ||
        QDir::isRelativePath(pathValue.toString())) {
        result.error =
            folderError(NotABookmark, QStringLiteral("The bookmark data isn\u2019t in the correct "
                                                     "format."));
        return result;
    }
    const QString path = pathValue.toString();
    struct stat info {};
    if (auto error = inspectFolder(path, &info)) {
        result.error = *error;
        return result;
    }
    const QJsonValue device = object.value(QStringLiteral("device"));
    const QJsonValue inode = object.value(QStringLiteral("inode"));
    const bool hasIdentity = device.isDouble() && inode.isDouble();
    const bool sameFolder = hasIdentity && static_cast<double>(info.st_dev) == device.toDouble() &&
                            static_cast<double>(info.st_ino) == inode.toDouble();
    result.value = Resolved{path, !sameFolder};
    return result;
}

bool LocalBookmarkService::beginAccess(const QString&)
{
    return true;
}

void LocalBookmarkService::endAccess(const QString&) {}

ScopedFolderAccess::ScopedFolderAccess(const QString& folderPath)
    : m_path(folderPath)
    , m_granted(BookmarkService::current().beginAccess(folderPath))
{}

ScopedFolderAccess::~ScopedFolderAccess()
{
    if (m_granted)
        BookmarkService::current().endAccess(m_path);
}
