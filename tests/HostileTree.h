#pragma once

#include "engine/TestTree.h"

#include <QLocalServer>

// A project folder holding every odd kind of entry at once: names with a line break, a tab, a
// backslash, a leading dash or space, a 255-byte name, a path close to 4,096 bytes, names that
// are not UTF-8 (one of them spelled "k\uFFFD.c" once decoded, as another file is named), a file
// that is not UTF-8 text, link loops, a dangling link, a link to a file outside, a FIFO, a
// socket, and an unreadable folder and file. Every regular file holds content(its relative path),
// so output shows which file was read for which entry. The folders are open to every user, so a
// test running as root can run the reader as an unprivileged user, for whom the locked entries are
// locked.
class HostileTree {
public:
    HostileTree()
    {
        const QString base = QFileInfo(m_tree.root()).absolutePath();
        check(::chmod(QFile::encodeName(base).constData(), 0755) == 0 &&
                  m_tree.add(QStringLiteral("../outside.c"), "<<outside>>\n"),
              "project folder");
        for (const char* name : {"new\nline.c", "tab\there.c", "back\\slash.c", "-dash.c",
                                 " space.c", "plain.c", "k\uFFFD.c"})
            addFile(name);
        addFile(QByteArray(253, 'n') + ".c");
        // A file at a path of 4,090 bytes, below folders with names of up to 250 bytes.
        QByteArray deep = "deep";
        for (qsizetype left = 4084 - bytes(deep).size(); left > 1; left = 4084 - bytes(deep).size())
            deep += '/' + QByteArray(std::min<qsizetype>(250, left - 1), 'd');
        addFile(deep + "/end.c");
        for (const char* name : {"k\xe9.c", "d\xe9/", "d\xe9/m.c"})
            check(m_tree.addRaw(name, content(name)), "names that are not UTF-8");
        const QByteArray outside = QFile::encodeName(base) + "/outside.c";
        for (const auto& [name, target] : {std::pair<const char*, QByteArray>("loop", "."),
                                           {"ping", "pong"},
                                           {"pong", "ping"},
                                           {"dangling.c", "missing.c"},
                                           {"outside.c", outside}})
            check(::symlink(target.constData(), bytes(name).constData()) == 0, "symbolic links");
        check(::mkfifo(bytes("pipe.c").constData(), 0644) == 0, "FIFO");
        check(m_socket.listen(m_tree.path(QStringLiteral("sock.c"))), "socket");
        check(m_tree.add(QStringLiteral("latin1.c"), "caf\xe9"), "files");
        check(m_tree.add(QStringLiteral("locked/inside.c"), content("locked/inside.c")) &&
                  m_tree.add(QStringLiteral("secret.c"), content("secret.c")) &&
                  ::chmod(bytes("locked").constData(), 0) == 0 &&
                  ::chmod(bytes("secret.c").constData(), 0) == 0,
              "locked entries");
    }
    // Opened again, so the temporary folder's clean-up can enter it.
    ~HostileTree() { ::chmod(bytes("locked").constData(), 0755); }

    bool isValid() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    QString root() const { return m_tree.root(); }

    // The readable regular files with UTF-8 names, relative to root(): each must be read.
    const QStringList& readableFiles() const { return m_readable; }
    // The entries listed as files that cannot be read: link loops, a dangling link, a socket, a
    // FIFO, a file that is not text and a file only root may read.
    static QStringList unreadableFiles()
    {
        return QStringLiteral("dangling.c latin1.c ping pipe.c pong secret.c sock.c").split(u' ');
    }

    static QByteArray content(const QByteArray& relativePath)
    {
        return "<<" + relativePath + ">>\n";
    }

private:
    QByteArray bytes(const QByteArray& relative) const
    {
        return QFile::encodeName(m_tree.path(QString::fromUtf8(relative)));
    }

    void check(bool made, const char* what)
    {
        if (!made && m_error.isEmpty())
            m_error = QStringLiteral("cannot make the %1: %2")
                          .arg(QLatin1StringView(what), QString::fromLocal8Bit(strerror(errno)));
    }

    void addFile(const QByteArray& relative)
    {
        m_readable.append(QString::fromUtf8(relative));
        check(m_tree.add(m_readable.last(), content(relative)), "files");
    }

    TestTree m_tree;
    QLocalServer m_socket; // its file goes with it
    QStringList m_readable;
    QString m_error;
};
