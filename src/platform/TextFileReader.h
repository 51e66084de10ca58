#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// Reads whole files as UTF-8 text.
//
// A file is read to its end into a buffer the reader keeps between files, and then validated and
// converted straight into the caller's string, so reading many files costs no allocation per
// file. Reads that return less than asked (any file system may, and Linux returns at most about
// 2 GiB per call) or are interrupted are continued. A file whose text cannot be held (more
// bytes than sizeLimit(), or memory runs out) is refused with "The file is too large.", and the
// caller's string stays as it was. Text that is not valid UTF-8 (stray or missing continuation
// bytes, overlong forms, surrogates, values past U+10FFFF, a sequence cut off at the end) is
// refused. The text is taken unchanged: a byte order mark stays in as U+FEFF.
class TextFileReader {
public:
    // The call that reads from a descriptor, with read(2)'s contract.
    using ReadFunction = ssize_t (*)(int fd, void* buffer, size_t count);

    explicit TextFileReader(ReadFunction read = nullptr);

    // Appends the text of the file at `path` to `out`. On failure `out` is left as it was and
    // `errorDescription` (when given) receives a readable reason.
    bool appendFile(const QString& path, QString& out, QString* errorDescription = nullptr);

    // Reads the file at `path` into a new string.
    static bool readFile(const QString& path, QString& text, QString* errorDescription = nullptr);

    // The size in bytes of the file at `path`, or 0 when it cannot be found.
    static qint64 fileSize(const QString& path);

    // The largest file taken, in bytes: a third of the machine's memory, since the bytes and
    // their text (two bytes per character) are held at once.
    static qint64 sizeLimit();

    // Appends `bytes` decoded as UTF-8 to `out`; false (and `out` unchanged) when invalid.
    static bool appendUtf8(QByteArrayView bytes, QString& out);

private:
    bool readBytes(const QString& path, QString* errorDescription);
    bool readToEnd(int fd, qint64 expectedSize, QString* errorDescription);

    ReadFunction m_read;
    QByteArray m_buffer;
    qsizetype m_length = 0;
};
