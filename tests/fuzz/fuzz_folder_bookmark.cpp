// Folder bookmarks: bytes that resolve name exactly the folder they resolve to. (That a bookmark
// made for a folder resolves to it is the platform test's.)
#include "FuzzSupport.h"

#include "platform/FolderBookmark.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    LocalBookmarkService service;
    const QByteArray bytes = fuzzBytes(data, size);
    const auto resolved = service.resolve(bytes);
    if (resolved) {
        const QString path = resolved.value->path;
        FUZZ_CHECK(path == QJsonDocument::fromJson(bytes).object().value(u"path").toString());
        FUZZ_CHECK(QDir::isAbsolutePath(path));
        // QFileInfo refuses names the system cannot hold (an embedded NUL), where a plain
        // system call would silently look at a shorter name.
        FUZZ_CHECK(QFileInfo(path).isDir());
    } else {
        FUZZ_CHECK(!resolved.error.localizedDescription.isEmpty());
    }
    return 0;
}
