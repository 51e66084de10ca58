#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A failure of the bookmark layer, with two renderings: `description` is the technical text
// (domain, code and message) and `localizedDescription` the message a person reads.
struct BookmarkError {
    int code = 0;
    QString localizedDescription;

    QString description() const;
};

// A persistent handle to a folder the user chose, from which the folder is found again in a
// later run. The bytes are a small versioned JSON object holding the absolute path and the
// folder's identity, for example {"version":1,"path":"/home/a/app","device":2049,"inode":131073}.
// A hand-written {"path": "/abs/folder"} (no identity) resolves to that folder and counts as
// stale, so preference files can be seeded by hand.
//
// Access brackets (beginAccess/endAccess) always succeed for local folders, but every reader of
// a user folder brackets its work with them so that a sandboxed backend can slot in.
class BookmarkService {
public:
    enum ErrorCode {
        FolderMissing = 4,
        FolderUnreadable = 257,
        NotAFolder = 256,
        NotABookmark = 259,
    };

    struct Resolved {
        QString path;
        // The folder at the stored path is not the one the bookmark was made for, or the
        // bookmark carries no identity: it should be made again.
        bool isStale = false;
    };

    template <typename T>
    struct Result {
        std::optional<T> value;
        BookmarkError error;
        explicit operator bool() const { return value.has_value(); }
    };

    virtual ~BookmarkService() = default;

    virtual Result<QByteArray> create(const QString& folderPath) = 0;
    virtual Result<Resolved> resolve(const QByteArray& bookmark) = 0;
    virtual bool beginAccess(const QString& folderPath) = 0;
    virtual void endAccess(const QString& folderPath) = 0;

    // The service the application uses. Tests may install their own; the installed object must
    // outlive its use. Passing nullptr restores the local service.
    static BookmarkService& current();
    static void setCurrent(BookmarkService* service);
};

// Bookmarks of local folders identified by device and inode.
class LocalBookmarkService : public BookmarkService {
public:
    Result<QByteArray> create(const QString& folderPath) override;
    Result<Resolved> resolve(const QByteArray& bookmark) override;
    bool beginAccess(const QString& folderPath) override;
    void endAccess(const QString& folderPath) override;
};

// Brackets one piece of work with beginAccess/endAccess of the current service.
class ScopedFolderAccess {
public:
    explicit ScopedFolderAccess(const QString& folderPath);
    ~ScopedFolderAccess();
    ScopedFolderAccess(const ScopedFolderAccess&) = delete;
    ScopedFolderAccess& operator=(const ScopedFolderAccess&) = delete;

    bool granted() const { return m_granted; }

private:
    QString m_path;
    bool m_granted;
};
