#pragma once

#include <QUuid>

#include <array>

// Hands out random (version 4) UUIDs for tree nodes. Random bits are drawn in blocks from the
// securely seeded global generator instead of one request per node, which matters for trees of a
// hundred thousand nodes.
class NodeIdSource {
public:
    QUuid next();

private:
    static constexpr size_t PoolWords = 256;
    std::array<quint32, PoolWords> m_pool{};
    size_t m_used = PoolWords;
};
