#pragma once

#include <QString>

#include <atomic>

// The o200k_base token count of one file's content.
struct FileTokenCount {
    // The count, or -1 when the file could not be read or is not UTF-8 text (see `error`) or
    // the count was cancelled (`error` empty).
    qint64 tokens = -1;
    QString error;

    // Reads the file at `path` whole and counts its tokens; any thread may call this.
    static FileTokenCount ofFile(const QString& path, const std::atomic_bool* cancelled = nullptr);
};
