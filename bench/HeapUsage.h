#pragma once

#include "platform/FolderWalk.h"

#include <QtGlobal>

#include <memory>

// Bytes currently allocated from the C heap (small chunks and mapped blocks together).
qint64 heapBytesInUse();

// Wraps a folder walk and samples the heap every few entries, to find the peak memory use of a
// scan while it builds its tree.
class HeapSamplingWalk : public FolderWalk {
public:
    HeapSamplingWalk(std::unique_ptr<FolderWalk> inner, qint64* peak);

    bool start(const QString& rootPath) override;
    bool next() override;
    QByteArrayView name() const override { return m_inner->name(); }
    QByteArrayView relativePath() const override { return m_inner->relativePath(); }
    int depth() const override { return m_inner->depth(); }
    bool isFolder() const override { return m_inner->isFolder(); }
    void skipDescendants() override { m_inner->skipDescendants(); }

private:
    void sample();

    std::unique_ptr<FolderWalk> m_inner;
    qint64* m_peak;
    int m_entries = 0;
};
