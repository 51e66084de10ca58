#include "engine/GitIndexFile.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// Reads big-endian numbers from a bounded stretch of bytes; reading past its end fails.
class ByteReader {
public:
    ByteReader(const char* begin, const char* end)
        : m_at(begin)
        , m_end(end)
    {}
    bool has(qsizetype count) const { return m_end - m_at >= count; }
    const char* at() const { return m_at; }
    bool skip(qsizetype count) { return count >= 0 && has(count) && (m_at += count, true); }
    template <typename T>
    bool read(T& value)
    {
        if (!has(sizeof(T)))
            return false;
        value = qFromBigEndian<T>(m_at);
        m_at += sizeof(T);
        return true;
    }

private:
    const char* m_at;
    const char* m_end;
};

// The set bits of one of git's compressed bitmaps, as ranges: its size in bits, its count of 64-bit
// words, the words, and the position of the last marker word. A marker word holds a bit repeated
// over whole words (bit 0, repeated over the words counted in bits 1 to 32) and the count of plain
// words that follow it (bits 33 to 63). Kept as ranges, a long run costs no more than a short one.
std::optional<GitIndexFile::Ranges> readBitmap(ByteReader& reader)
{
    quint32 bitCount = 0;
    quint32 wordCount = 0;
    if (!reader.read(bitCount) || !reader.read(wordCount))
        return std::nullopt;
    GitIndexFile::Ranges set;
    const auto add = [&](quint64 begin, quint64 end) {
        end = std::min<quint64>(end, bitCount);
        if (begin >= end)
            return;
        if (!set.empty() && set.back().second == begin)
            set.back().second = static_cast<quint32>(end);
        else
            set.emplace_back(static_cast<quint32>(begin), static_cast<quint32>(end));
    };
    quint64 position = 0;
    for (quint32 word = 0; word < wordCount;) {
        quint64 marker = 0;
        if (!reader.read(marker))
            return std::nullopt;
        ++word;
        const quint64 repeated = ((marker >> 1) & 0xffffffffu) * 64;
        if (marker & 1)
            add(position, position + repeated);
        position += repeated;
        for (quint64 plain = marker >> 33; plain > 0; --plain, ++word, position += 64) {
            quint64 bits = 0;
            if (word >= wordCount || !reader.read(bits))
                return std::nullopt;
            for (int bit = 0; bit < 64; ++bit) {
                if (bits >> bit & 1)
                    add(position + quint64(bit), position + quint64(bit) + 1);
            }
        }
    }
    quint32 lastMarker = 0;
    if (!reader.read(lastMarker))
        return std::nullopt;
    return set;
}
} // namespace

bool GitIndexFile::read(QByteArrayView file)
{
    constexpr qsizetype checksumSize = 20;
    constexpr qsizetype fixedSize = 62;
    if (file.size() < 12 + checksumSize || !file.startsWith("DIRC"))
        return false;
    ByteReader reader(file.data() + 4, file.data() + file.size() - checksumSize);
    quint32 version = 0;
    quint32 count = 0;
    reader.read(version);
    reader.read(count);
    if (version < 2 || version > 4)
        return false;
    lengths.reserve(std::min<size_t>(count, static_cast<size_t>(file.size() / fixedSize)));
    // Version 4's previous path.
    std::string path;
    for (quint32 i = 0; i < count; ++i) {
        const char* entry = reader.at();
        quint16 flags = 0;
        if (!reader.skip(fixedSize - 2) || !reader.read(flags) ||
            ((flags & 0x4000) && version >= 3 && !reader.skip(2)))
            return false;
        size_t drop = 0;
        if (version == 4) {
            // git's variable-length number: 7 bits a byte, high bit set on all but the last.
            quint64 value = 0;
            for (int bytes = 0;; ++bytes) {
                quint8 byte = 0;
                if (bytes > 8 || !reader.read(byte))
                    return false;
                value = (value << 7) | (byte & 0x7f);
                if (!(byte & 0x80))
                    break;
                ++value;
            }
            if (value > path.size())
                return false;
            drop = static_cast<size_t>(value);
        }
        const char* name = reader.at();
        const void* nul = reader.has(1) ? std::memchr(name, 0, size_t(file.end() - name)) : nullptr;
        if (!nul || !reader.has(static_cast<const char*>(nul) - name + 1))
            return false;
        const auto rest = static_cast<size_t>(static_cast<const char*>(nul) - name);
        if (version == 4) {
            path.resize(path.size() - drop);
            path.append(name, rest);
            text.append(path);
            lengths.push_back(path.size());
            reader.skip(static_cast<qsizetype>(rest) + 1);
        } else {
            text.append(name, rest);
            lengths.push_back(rest);
            // NUL-padded to a multiple of 8 bytes from the entry's start.
            const qsizetype size = (name - entry + static_cast<qsizetype>(rest) + 8) & ~7;
            if (!reader.skip(entry + size - reader.at()))
                return false;
        }
    }
    // Extensions follow. A sparse index has folder entries; it is left to libgit2.
    while (reader.has(8)) {
        const QByteArrayView signature(reader.at(), 4);
        quint32 size = 0;
        reader.skip(4);
        reader.read(size);
        if (signature == "sdir" || !reader.has(size))
            return false;
        const char* next = reader.at() + size;
        if (signature == "link") {
            if (size < checksumSize)
                return false;
            sharedName = QByteArray(reader.at(), checksumSize).toHex();
            ByteReader link(reader.at() + checksumSize, next);
            if (size > checksumSize) {
                std::optional<Ranges> deletedBits = readBitmap(link);
                const std::optional<Ranges> replacedBits = readBitmap(link);
                if (!deletedBits || !replacedBits)
                    return false;
                deleted = std::move(*deletedBits);
                for (const auto& [begin, end] : *replacedBits)
                    replaced += end - begin;
            }
        }
        reader.skip(size);
    }
    return replaced <= lengths.size();
}
