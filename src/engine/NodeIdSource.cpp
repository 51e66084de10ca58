#include "engine/NodeIdSource.h"

#include <QRandomGenerator>

QUuid NodeIdSource::next()
{
    if (m_used + 4 > PoolWords) {
        QRandomGenerator::global()->fillRange(m_pool.data(), static_cast<qsizetype>(PoolWords));
        m_used = 0;
    }
    const quint32 a = m_pool[m_used];
    const quint32 b = m_pool[m_used + 1];
    const quint32 c = m_pool[m_used + 2];
    const quint32 d = m_pool[m_used + 3];
    m_used += 4;
    // Version 4 in the high nibble of the third group, variant 10 in the top bits of the fourth.
    const auto version = static_cast<ushort>(((b & 0xffffu) & 0x0fffu) | 0x4000u);
    const auto variant = static_cast<uchar>(((c >> 24) & 0x3fu) | 0x80u);
    return QUuid(a, static_cast<ushort>(b >> 16), version, variant, static_cast<uchar>(c >> 16),
                 static_cast<uchar>(c >> 8), static_cast<uchar>(c), static_cast<uchar>(d >> 24),
                 static_cast<uchar>(d >> 16), static_cast<uchar>(d >> 8), static_cast<uchar>(d));
}
