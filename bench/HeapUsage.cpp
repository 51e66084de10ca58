#include "HeapUsage.h"

#include <malloc.h>

qint64 heapBytesInUse()
{
    const struct mallinfo2 info = ::mallinfo2();
    return static_cast<qint64>(info.uordblks + info.hblkhd);
}

HeapSamplingWalk::HeapSamplingWalk(std::unique_ptr<FolderWalk> inner, qint64* peak)
    : m_inner(std::move(inner))
    , m_peak(peak)
{}

void HeapSamplingWalk::sample()
{
    *m_peak = std::max(*m_peak, heapBytesInUse());
}

bool HeapSamplingWalk::start(const QString& rootPath)
{
    sample();
    return m_inner->start(rootPath);
}

bool HeapSamplingWalk::next()
{
    if (++m_entries % 512 == 0)
        sample();
    const bool more = m_inner->next();
    if (!more)
        sample();
    return more;
}
