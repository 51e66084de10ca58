#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <optional>

// Counts tokens away from the main thread: one text at a time (the preview's) and the files of a
// project. Work runs on worker threads over immutable copies (implicitly shared strings and a
// snapshot of the file cache); results come back to the counter's thread as queued calls, and
// newer work cancels older work of the same kind, so a result never belongs to an outdated
// request.
//
// File counts are cached by path and kept while the file's size and modification time stay the
// same, so counting a project again costs one stat per file.
class TokenCounter : public QObject {
    Q_OBJECT

public:
    explicit TokenCounter(QObject* parent = nullptr);
    // Cancels the work in progress and waits for the workers to stop.
    ~TokenCounter() override;

    // Counts `text`, replacing any earlier text request; textCounted follows unless a newer
    // request comes first.
    void countText(const QString& text);
    // The count of the last requested text, or empty while it is being counted.
    std::optional<qint64> textTokens() const { return m_textTokens; }

    // Makes sure each file of `paths` has an up-to-date count, replacing any earlier file
    // request; filesCounted reports them in batches as they become known.
    void countFiles(const QStringList& paths);
    // The last known count of the file at `path`; empty when not counted yet or when the file
    // cannot be counted (unreadable, not UTF-8 text).
    std::optional<qint64> fileTokens(const QString& path) const;
    // True while a file request is being worked on.
    bool countingFiles() const { return m_fileJob != nullptr; }

Q_SIGNALS:
    void textCounted(qint64 tokens);
    // Counts of `paths` became known or changed. When the request is complete, `finished`.
    void filesCounted(const QStringList& paths, bool finished);

private:
    struct FileEntry {
        qint64 size = -1;
        qint64 modified = 0;  // modification time, milliseconds since the epoch
        qint64 tokens = -1;   // -1: the file cannot be counted
    };
    using FileCache = QHash<QString, FileEntry>;
    struct Job {
        std::atomic_bool cancelled = false;
    };

    using FileCounts = QList<QPair<QString, FileEntry>>;

    // Runs on a worker: stats each file, counts those whose size or time differ from `known`.
    void countFilesInWorker(const std::shared_ptr<Job>& job, const QStringList& paths,
                            const FileCache& known);
    // Runs on the counter's thread.
    void applyFileCounts(const std::shared_ptr<Job>& job, const FileCounts& counts, bool finished);
    static void cancel(std::shared_ptr<Job>& job);

    QThreadPool m_pool;
    FileCache m_files;
    std::optional<qint64> m_textTokens;
    std::shared_ptr<Job> m_textJob;
    std::shared_ptr<Job> m_fileJob;
};
