#pragma once

#include <QByteArray>
#include <QString>

// Reads whole files as UTF-8 text.
//
// A file is read with one read call into a buffer the reader keeps between files, and then
// validated and converted straight into the caller's string, so reading many files costs no
// allocation per file. Text that is not valid UTF-8 (stray or missing continuation bytes,
// overlong forms, surrogates, values past U+10FFFF, a sequence cut off at the end) is refused.
// The text is taken unchanged: a byte order mark stays in as U+FEFF.
class TextFileReader {
public:
    TextFileReader() = default;

    // Appends the text of the file at `path` to `out`. On failure `out` is left as it was and
    // `errorDescription` (when given) receives a readable reason.
    bool appendFile(const QString& path, QString& out, QString* errorDescription = nullptr);

    // Reads the file at `path` into a new string.
    static bool readFile(const QString& path, QString& text, QString* errorDescription = nullptr);

    // The size in bytes of the file at `path`, or 0 when it cannot be found.
    static qint64 fileSize(const QString& path);

    // Appends `bytes` decoded as UTF-8 to `out`; false (and `out` unchanged) when invalid.
    static bool appendUtf8(QByteArrayView bytes, QString& out);

private:
    bool readBytes(const QString& path, QString* errorDescription);

    QByteArray m_buffer;
    qsizetype m_length = 0;
};
