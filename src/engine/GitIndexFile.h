#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// The paths recorded in a git index file, versions 2 to 4 of git's format, in the file's order
// (read without libgit2, which reads and checks every entry's status and object name and costs a
// good part of a scan of a large repository). An entry is 62 bytes of file status, object name
// and flags (64 with version 3's extended flags), then the path: NUL-terminated and padded to a
// multiple of 8 bytes in versions 2 and 3; in version 4 a count of bytes to drop from the end of
// the previous path, followed by the NUL-terminated rest. The trailing checksum is not checked:
// git itself does not check it when it reads the index.
struct GitIndexFile {
    std::string text;
    std::vector<size_t> lengths;
    // A split index holds only the entries changed since its shared index was written: this
    // names the shared file, which of its entries are deleted, and how many of the entries here
    // replace one of its entries (those come first and keep its path).
    QByteArray sharedName;
    // Ranges [first, last) of entries, in order.
    using Ranges = std::vector<std::pair<quint32, quint32>>;
    Ranges deleted;
    size_t replaced = 0;

    bool isSplit() const { return !sharedName.isEmpty(); }

    // False for anything else: another format or version, a sparse index (which holds folder
    // entries), a file cut short.
    bool read(QByteArrayView file);
};
