#pragma once

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

// A project folder holding every odd kind of entry at once: names with a line break, a tab, a
// backslash, a leading dash or space, a 255-byte name, a path close to 4,096 bytes, names that
// are not UTF-8, link loops, a dangling link, a link to a file outside, a FIFO, a socket, and an
// unreadable folder and file. Every regular file holds content(its relative path), so output
// shows which file was read for which entry. The folders are open to every user, so a test
// running as root can run the reader as an unprivileged user, for whom the locked entries are
// locked.
class HostileTree {
public:
    HostileTree() { build(); }
    ~HostileTree()
    {
        // Opened again for the clean-up, which cannot spell the names that are not UTF-8.
        ::chmod(path("locked").constData(), 0755);
        ::unlink(path("k\xe9.c").constData());
        ::unlink(path("d\xe9/m.c").constData());
        ::rmdir(path("d\xe9").constData());
    }

    bool isValid() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    QString root() const { return QFile::decodeName(m_root); }

    // The readable regular files with UTF-8 names, relative to root(): each must be read.
    const QStringList& readableFiles() const { return m_readable; }
    // The entries listed as files that cannot be read: link loops, a dangling link, a socket, a
    // FIFO and a file only root may read.
    static QStringList unreadableFiles()
    {
        return {QStringLiteral("dangling.c"), QStringLiteral("ping"),     QStringLiteral("pipe.c"),
                QStringLiteral("pong"),       QStringLiteral("secret.c"), QStringLiteral("sock.c")};
    }

    static QByteArray content(const QByteArray& relativePath)
    {
        return "<<" + relativePath + ">>\n";
    }

private:
    void build()
    {
        const QByteArray base = QFile::encodeName(m_dir.path());
        m_root = base + "/project";
        if (!m_dir.isValid() || ::chmod(base.constData(), 0755) != 0 ||
            ::mkdir(m_root.constData(), 0755) != 0 || !write(base + "/outside.c", "<<outside>>\n"))
            return fail("project folder");
        for (const char* name :
             {"new\nline.c", "tab\there.c", "back\\slash.c", "-dash.c", " space.c", "plain.c"})
            addFile(name);
        addFile(QByteArray(253, 'n') + ".c");
        addDeepFile();
        addFile("k\xe9.c", false);
        makeFolder("d\xe9");
        addFile("d\xe9/m.c", false);
        link(".", "loop");
        link("ping", "pong");
        link("pong", "ping");
        link("missing.c", "dangling.c");
        link(base + "/outside.c", "outside.c");
        if (::mkfifo(path("pipe.c").constData(), 0644) != 0)
            fail("FIFO");
        addSocket("sock.c");
        makeFolder("locked");
        addFile("locked/inside.c", false);
        addFile("secret.c", false);
        if (::chmod(path("locked").constData(), 0) != 0 || ::chmod(path("secret.c").constData(), 0))
            fail("permissions");
    }

    QByteArray path(const QByteArray& relative) const { return m_root + '/' + relative; }

    void fail(const char* what)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("cannot make the %1: %2")
                          .arg(QLatin1StringView(what), QString::fromLocal8Bit(strerror(errno)));
    }

    static bool write(const QByteArray& path, const QByteArray& content)
    {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        const bool written =
            ::write(fd, content.constData(), size_t(content.size())) == ssize_t(content.size());
        return ::close(fd) == 0 && written;
    }

    void makeFolder(const QByteArray& relative)
    {
        if (::mkdir(path(relative).constData(), 0755) != 0)
            fail("folder");
    }

    void addFile(const QByteArray& relative, bool readable = true)
    {
        if (!write(path(relative), content(relative)))
            fail("file");
        else if (readable)
            m_readable.append(QString::fromUtf8(relative));
    }

    // A file at a path of 4,090 bytes, below folders with 250-byte names.
    void addDeepFile()
    {
        QByteArray relative = "deep";
        makeFolder(relative);
        for (qsizetype left = 4090 - path(relative).size() - 6; left > 1;) {
            const qsizetype length = std::min<qsizetype>(250, left - 1);
            relative += '/' + QByteArray(length, 'd');
            left -= length + 1;
            makeFolder(relative);
        }
        addFile(relative + "/end.c");
    }

    void link(const QByteArray& target, const QByteArray& name)
    {
        if (::symlink(target.constData(), path(name).constData()) != 0)
            fail("symbolic link");
    }

    void addSocket(const QByteArray& name)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray socketPath = path(name);
        if (size_t(socketPath.size()) >= sizeof address.sun_path)
            return fail("socket (path too long)");
        std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            fail("socket");
        if (fd >= 0)
            ::close(fd);
    }

    QTemporaryDir m_dir;
    QByteArray m_root;
    QStringList m_readable;
    QString m_error;
};
