#include "engine/TokenCounter.h"

#include "engine/FileTokenCount.h"
#include "engine/TokenEncoding.h"
#include "platform/ThreadPriority.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>

namespace {

// Worker results come back at most this often (milliseconds), so that the main thread handles
// a few batches per second rather than one call per file.
constexpr int kBatchInterval = 100;

} // namespace

TokenCounter::TokenCounter(QObject* parent)
    : QObject(parent)
{
    // One thread for the text, one for the files: a long text never holds up the file counts.
    m_pool.setMaxThreadCount(2);
}

TokenCounter::~TokenCounter()
{
    cancel(m_textJob);
    cancel(m_fileJob);
    m_pool.waitForDone();
}

void TokenCounter::cancel(std::shared_ptr<Job>& job)
{
    if (job)
        job->cancelled = true;
    job.reset();
}

void TokenCounter::countText(const QString& text)
{
    cancel(m_textJob);
    m_textTokens.reset();
    auto job = std::make_shared<Job>();
    m_textJob = job;
    // The worker lets the text go as soon as it is converted: while it shares the text, an edit
    // on the main thread would have to copy it.
    auto shared = std::make_shared<QString>(text);
    m_pool.start([this, job, shared] {
        ThreadPriority::lowerCurrentThread();
        if (job->cancelled)
            return;
        const QByteArray utf8 = shared->toUtf8();
        *shared = QString();
        const auto tokens = TokenEncoding::o200kBase().count(QByteArrayView(utf8), &job->cancelled);
        if (!tokens)
            return;
        QMetaObject::invokeMethod(
            this,
            [this, job, tokens = *tokens] {
                if (job != m_textJob)
                    return;
                m_textJob.reset();
                m_textTokens = tokens;
                Q_EMIT textCounted(tokens);
            },
            Qt::QueuedConnection);
    });
}

void TokenCounter::countFiles(const QStringList& paths)
{
    cancel(m_fileJob);
    auto job = std::make_shared<Job>();
    m_fileJob = job;
    // The worker reads a snapshot: the cache itself changes only on this thread.
    m_pool.start([this, job, paths, known = m_files] {
        ThreadPriority::lowerCurrentThread();
        countFilesInWorker(job, paths, known);
    });
}

void TokenCounter::countFilesInWorker(const std::shared_ptr<Job>& job, const QStringList& paths,
                                      const FileCache& known)
{
    FileCounts batch;
    QElapsedTimer sinceLastBatch;
    sinceLastBatch.start();
    const auto post = [this, job, &batch](bool finished) {
        QMetaObject::invokeMethod(
            this, [this, job, counts = std::move(batch), finished] {
                applyFileCounts(job, counts, finished);
            },
            Qt::QueuedConnection);
        batch.clear();
    };
    for (const QString& path : paths) {
        if (job->cancelled)
            return;
        const QFileInfo info(path);
        FileEntry entry;
        if (info.isFile()) {
            entry.size = info.size();
            entry.modified = info.lastModified().toMSecsSinceEpoch();
        }
        const auto cached = known.constFind(path);
        if (cached != known.cend() && cached->size == entry.size
            && cached->modified == entry.modified)
            continue;
        if (entry.size >= 0)
            entry.tokens = FileTokenCount::ofFile(path, &job->cancelled).tokens;
        if (job->cancelled)
            return;
        batch.append({path, entry});
        if (sinceLastBatch.elapsed() >= kBatchInterval) {
            post(false);
            sinceLastBatch.restart();
        }
    }
    post(true);
}

void TokenCounter::applyFileCounts(const std::shared_ptr<Job>& job, const FileCounts& counts,
                                   bool finished)
{
    // Counts from cancelled work are still true of the files they describe: keep them.
    QStringList paths;
    paths.reserve(counts.size());
    for (const auto& [path, entry] : counts) {
        m_files.insert(path, entry);
        paths.append(path);
    }
    const bool current = job == m_fileJob;
    if (current && finished)
        m_fileJob.reset();
    if (!paths.isEmpty() || (current && finished))
        Q_EMIT filesCounted(paths, current && finished);
}

std::optional<qint64> TokenCounter::fileTokens(const QString& path) const
{
    const auto entry = m_files.constFind(path);
    if (entry == m_files.cend() || entry->tokens < 0)
        return std::nullopt;
    return entry->tokens;
}
