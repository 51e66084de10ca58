#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

// A byte-pair encoding: counts the tokens a language model's tokenizer makes of a text.
//
// The text (UTF-8) is first cut into pieces by a regular expression (words with an optional
// leading space or sign, at most three digits at a time, runs of punctuation, runs of blanks);
// each piece that is not a token of its own is then merged pair by pair, always the adjacent pair
// whose joined bytes have the lowest rank, leftmost first, until no adjacent pair is a token.
//
// An encoding never changes once built, so any number of threads may count with it at once.
class TokenEncoding {
public:
    ~TokenEncoding();
    TokenEncoding(const TokenEncoding&) = delete;
    TokenEncoding& operator=(const TokenEncoding&) = delete;

    // The o200k_base encoding, built into the program. Loaded on first use (thread-safe).
    static const TokenEncoding& o200kBase();

    // An encoding of the o200k_base pre-tokenisation over the rank table `rankFile` (layout:
    // "BPE1", a 32-bit little-endian token count, then each token in rank order as one length
    // byte and its bytes). Null with `error` set when the table is malformed.
    static std::unique_ptr<TokenEncoding> fromRankFile(const QByteArray& rankFile,
                                                       QString* error = nullptr);

    int tokenCount() const { return static_cast<int>(m_offsets.size()); }

    // The number of tokens of `utf8`. Empty when the bytes are not valid UTF-8 or when
    // `cancelled` became true during the count (checked every few thousand pieces).
    std::optional<qint64> count(QByteArrayView utf8,
                                const std::atomic_bool* cancelled = nullptr) const;
    // The number of tokens of `text` (as UTF-8); -1 when cancelled.
    qint64 count(QStringView text, const std::atomic_bool* cancelled = nullptr) const;

private:
    TokenEncoding();

    bool buildTable(QString* error);
    // The rank of the token with exactly these bytes, or -1.
    int rank(const unsigned char* bytes, qsizetype length) const;
    int rank(const unsigned char* bytes, qsizetype length, quint64 hash) const;
    // The number of tokens of one piece of the pre-tokenisation.
    qint64 countPiece(const unsigned char* piece, qsizetype length) const;
    // The same by byte-pair merges, for a piece that is not a token of its own.
    qint64 mergeCount(const unsigned char* piece, qsizetype length) const;

    // Recently counted short pieces, per thread and for one encoding at a time.
    struct PieceCache {
        static constexpr int kEntries = 4096;
        static constexpr int kLongestPiece = 30;
        struct Entry {
            unsigned char length = 0;
            unsigned char tokens = 0;
            unsigned char bytes[kLongestPiece];
        };
        quint64 encodingSerial = 0;
        std::array<Entry, kEntries> entries{};
    };
    PieceCache& pieceCache() const;

    quint64 m_serial = 0;  // tells encodings apart in the per-thread cache

    QByteArray m_rankFile;
    std::vector<quint32> m_offsets;  // start of each token's bytes in m_rankFile (after its length)
    std::vector<quint64> m_slots;    // open-addressing hash table; 0 marks an empty slot
    quint32 m_slotMask = 0;
    struct Pattern;
    std::unique_ptr<Pattern> m_pattern;
};
