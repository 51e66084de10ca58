#include "engine/TokenEncoding.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <QFile>

#include <algorithm>
#include <cstring>
#include <queue>

namespace {

// o200k_base's pre-tokenisation, spelled so that PCRE2 cuts exactly the pieces the tokenizer's
// reference implementation cuts (an ECMAScript regular expression over Unicode 17 data):
// - `\s` is spelled out as ECMAScript's blanks, which include U+FEFF but neither U+0085 nor
//   U+180E, unlike PCRE2's own `\s`;
// - the property classes get the characters that Unicode 15 to 17 added to them, which an older
//   PCRE2 (Debian 12's has Unicode 14 data) does not know. None of those versions took a
//   character out of these classes, so the additions are harmless with newer data.
#define BLANK u8"\\t\\n\\x0B\\f\\r \\x{A0}\\x{1680}\\x{2000}-\\x{200A}\\x{2028}\\x{2029}\\x{202F}\\x{205F}\\x{3000}\\x{FEFF}"
#define NEW_LETTERS \
    u8"\\x{88F}\\x{C5C}\\x{CDC}\\x{1C89}-\\x{1C8A}\\x{A7CB}-\\x{A7CF}\\x{A7D2}\\x{A7D4}" \
    u8"\\x{A7DA}-\\x{A7DC}\\x{A7F1}\\x{105C0}-\\x{105F3}\\x{10940}-\\x{10959}\\x{10D4A}-" \
    u8"\\x{10D65}\\x{10D6F}-\\x{10D85}\\x{10EC2}-\\x{10EC7}\\x{1123F}-\\x{11240}\\x{11380}-" \
    u8"\\x{11389}\\x{1138B}\\x{1138E}\\x{11390}-\\x{113B5}\\x{113B7}\\x{113D1}\\x{113D3}" \
    u8"\\x{11BC0}-\\x{11BE0}\\x{11DB0}-\\x{11DDB}\\x{11F02}\\x{11F04}-\\x{11F10}\\x{11F12}-" \
    u8"\\x{11F33}\\x{1342F}\\x{13441}-\\x{13446}\\x{13460}-\\x{143FA}\\x{16100}-\\x{1611D}" \
    u8"\\x{16D40}-\\x{16D6C}\\x{16EA0}-\\x{16EB8}\\x{16EBB}-\\x{16ED3}\\x{16FF2}-\\x{16FF3}" \
    u8"\\x{187F8}-\\x{187FF}\\x{18CFF}\\x{18D09}-\\x{18D1E}\\x{18D80}-\\x{18DF2}\\x{1B132}" \
    u8"\\x{1B155}\\x{1DF25}-\\x{1DF2A}\\x{1E030}-\\x{1E06D}\\x{1E4D0}-\\x{1E4EB}\\x{1E5D0}-" \
    u8"\\x{1E5ED}\\x{1E5F0}\\x{1E6C0}-\\x{1E6DE}\\x{1E6E0}-\\x{1E6E2}\\x{1E6E4}-\\x{1E6E5}" \
    u8"\\x{1E6E7}-\\x{1E6ED}\\x{1E6F0}-\\x{1E6F4}\\x{1E6FE}-\\x{1E6FF}\\x{2B739}-\\x{2B73F}" \
    u8"\\x{2CEA2}-\\x{2CEAD}\\x{2EBF0}-\\x{2EE5D}\\x{31350}-\\x{33479}"
#define NEW_NUMBERS \
    u8"\\x{10D40}-\\x{10D49}\\x{116D0}-\\x{116E3}\\x{11BF0}-\\x{11BF9}\\x{11DE0}-\\x{11DE9}" \
    u8"\\x{11F50}-\\x{11F59}\\x{16130}-\\x{16139}\\x{16D70}-\\x{16D79}\\x{16FF4}-\\x{16FF6}" \
    u8"\\x{1CCF0}-\\x{1CCF9}\\x{1D2C0}-\\x{1D2D3}\\x{1E4F0}-\\x{1E4F9}\\x{1E5F1}-\\x{1E5FA}"
#define NEW_UPPER_OR_OTHER \
    u8"\\x{295}\\x{88F}\\x{897}\\x{C5C}\\x{CDC}\\x{CF3}\\x{ECE}\\x{1ACF}-\\x{1ADD}\\x{1AE0}-" \
    u8"\\x{1AEB}\\x{1C89}\\x{A7CB}-\\x{A7CC}\\x{A7CE}\\x{A7D2}\\x{A7D4}\\x{A7DA}\\x{A7DC}" \
    u8"\\x{A7F1}\\x{105C0}-\\x{105F3}\\x{10940}-\\x{10959}\\x{10D4A}-\\x{10D65}\\x{10D69}-" \
    u8"\\x{10D6D}\\x{10D6F}\\x{10EC2}-\\x{10EC7}\\x{10EFA}-\\x{10EFF}\\x{1123F}-\\x{11241}" \
    u8"\\x{11380}-\\x{11389}\\x{1138B}\\x{1138E}\\x{11390}-\\x{113B5}\\x{113B7}-\\x{113C0}" \
    u8"\\x{113C2}\\x{113C5}\\x{113C7}-\\x{113CA}\\x{113CC}-\\x{113D3}\\x{113E1}-\\x{113E2}" \
    u8"\\x{11B60}-\\x{11B67}\\x{11BC0}-\\x{11BE0}\\x{11DB0}-\\x{11DDB}\\x{11F00}-\\x{11F10}" \
    u8"\\x{11F12}-\\x{11F3A}\\x{11F3E}-\\x{11F42}\\x{11F5A}\\x{1342F}\\x{13440}-\\x{13455}" \
    u8"\\x{13460}-\\x{143FA}\\x{16100}-\\x{1612F}\\x{16D40}-\\x{16D6C}\\x{16EA0}-\\x{16EB8}" \
    u8"\\x{16FF2}-\\x{16FF3}\\x{187F8}-\\x{187FF}\\x{18CFF}\\x{18D09}-\\x{18D1E}\\x{18D80}-" \
    u8"\\x{18DF2}\\x{1B132}\\x{1B155}\\x{1E030}-\\x{1E06D}\\x{1E08F}\\x{1E4D0}-\\x{1E4EF}" \
    u8"\\x{1E5D0}-\\x{1E5F0}\\x{1E6C0}-\\x{1E6DE}\\x{1E6E0}-\\x{1E6F5}\\x{1E6FE}-\\x{1E6FF}" \
    u8"\\x{2B739}-\\x{2B73F}\\x{2CEA2}-\\x{2CEAD}\\x{2EBF0}-\\x{2EE5D}\\x{31350}-\\x{33479}"
#define NEW_LOWER_OR_OTHER \
    u8"\\x{88F}\\x{897}\\x{C5C}\\x{CDC}\\x{CF3}\\x{ECE}\\x{1ACF}-\\x{1ADD}\\x{1AE0}-\\x{1AEB}" \
    u8"\\x{1C8A}\\x{A7CD}\\x{A7CF}\\x{A7DB}\\x{A7F1}\\x{105C0}-\\x{105F3}\\x{10940}-" \
    u8"\\x{10959}\\x{10D4A}-\\x{10D4F}\\x{10D69}-\\x{10D6D}\\x{10D6F}-\\x{10D85}\\x{10EC2}-" \
    u8"\\x{10EC7}\\x{10EFA}-\\x{10EFF}\\x{1123F}-\\x{11241}\\x{11380}-\\x{11389}\\x{1138B}" \
    u8"\\x{1138E}\\x{11390}-\\x{113B5}\\x{113B7}-\\x{113C0}\\x{113C2}\\x{113C5}\\x{113C7}-" \
    u8"\\x{113CA}\\x{113CC}-\\x{113D3}\\x{113E1}-\\x{113E2}\\x{11B60}-\\x{11B67}\\x{11BC0}-" \
    u8"\\x{11BE0}\\x{11DB0}-\\x{11DDB}\\x{11F00}-\\x{11F10}\\x{11F12}-\\x{11F3A}\\x{11F3E}-" \
    u8"\\x{11F42}\\x{11F5A}\\x{1342F}\\x{13440}-\\x{13455}\\x{13460}-\\x{143FA}\\x{16100}-" \
    u8"\\x{1612F}\\x{16D40}-\\x{16D6C}\\x{16EBB}-\\x{16ED3}\\x{16FF2}-\\x{16FF3}\\x{187F8}-" \
    u8"\\x{187FF}\\x{18CFF}\\x{18D09}-\\x{18D1E}\\x{18D80}-\\x{18DF2}\\x{1B132}\\x{1B155}" \
    u8"\\x{1DF25}-\\x{1DF2A}\\x{1E030}-\\x{1E06D}\\x{1E08F}\\x{1E4D0}-\\x{1E4EF}\\x{1E5D0}-" \
    u8"\\x{1E5F0}\\x{1E6C0}-\\x{1E6DE}\\x{1E6E0}-\\x{1E6F5}\\x{1E6FE}-\\x{1E6FF}\\x{2B739}-" \
    u8"\\x{2B73F}\\x{2CEA2}-\\x{2CEAD}\\x{2EBF0}-\\x{2EE5D}\\x{31350}-\\x{33479}"

// Letters and marks that may begin a word (upper, title, modifier, other letters, marks) and
// those that may continue it (lower, modifier, other letters, marks); letters; numbers.
#define UPPER u8"\\p{Lu}\\p{Lt}\\p{Lm}\\p{Lo}\\p{M}" NEW_UPPER_OR_OTHER
#define LOWER u8"\\p{Ll}\\p{Lm}\\p{Lo}\\p{M}" NEW_LOWER_OR_OTHER
#define LETTER u8"\\p{L}" NEW_LETTERS
#define NUMBER u8"\\p{N}" NEW_NUMBERS
#define CONTRACTIONS u8"('s|'S|'t|'T|'re|'rE|'Re|'RE|'ve|'vE|'Ve|'VE|'m|'M|'ll|'lL|'Ll|'LL|'d|'D)?"
constexpr char8_t kPattern[] =
    u8"[^\\r\\n" LETTER NUMBER u8"]?[" UPPER u8"]*[" LOWER u8"]+" CONTRACTIONS
    u8"|[^\\r\\n" LETTER NUMBER u8"]?[" UPPER u8"]+[" LOWER u8"]*" CONTRACTIONS
    u8"|[" NUMBER u8"]{1,3}"
    u8"| ?[^" BLANK LETTER NUMBER u8"]+[\\r\\n/]*"
    u8"|[" BLANK u8"]*[\\r\\n]+"
    u8"|[" BLANK u8"]+(?![^" BLANK u8"])"
    u8"|[" BLANK u8"]+";
#undef BLANK
#undef NEW_LETTERS
#undef NEW_NUMBERS
#undef NEW_UPPER_OR_OTHER
#undef NEW_LOWER_OR_OTHER
#undef UPPER
#undef LOWER
#undef LETTER
#undef NUMBER
#undef CONTRACTIONS

const QString kBuiltInRankFile = QStringLiteral(":/tokens/o200k_base.tokens");

// A slot of the hash table holds the high half of the token's hash above its rank + 1, so that
// most mismatches are told apart without reading the token's bytes.
constexpr quint64 kFingerprintMask = 0xFFFFFFFF00000000ull;

// Pieces are checked for cancellation this often.
constexpr int kCancelCheckInterval = 4096;

inline quint64 load64(const unsigned char* p)
{
    quint64 value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// A quick hash of a short byte string (tokens are at most a few hundred bytes).
quint64 hashBytes(const unsigned char* bytes, qsizetype length)
{
    constexpr quint64 kMultiplier = 0x9E3779B97F4A7C15ull;
    quint64 h = static_cast<quint64>(length) * kMultiplier;
    qsizetype i = 0;
    for (; i + 8 <= length; i += 8)
        h = (h ^ load64(bytes + i)) * kMultiplier, h ^= h >> 29;
    quint64 tail = 0;
    for (qsizetype shift = 0; i < length; ++i, shift += 8)
        tail |= static_cast<quint64>(bytes[i]) << shift;
    // Final mix, so that every input bit reaches the low bits that pick the slot.
    h ^= tail;
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 33);
}

// True when `bytes` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isValidUtf8(const unsigned char* bytes, qsizetype length)
{
    qsizetype i = 0;
    while (i < length) {
        // Skip ASCII eight bytes at a time.
        while (i + 8 <= length && (load64(bytes + i) & 0x8080808080808080ull) == 0)
            i += 8;
        if (i >= length)
            break;
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int extra;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (length - i <= extra)
            return false;
        if (bytes[i + 1] < low || bytes[i + 1] > high)
            return false;
        for (int k = 2; k <= extra; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return false;
        }
        i += extra + 1;
    }
    return true;
}

} // namespace

struct TokenEncoding::Pattern {
    pcre2_code* code = nullptr;
    bool jit = false;

    ~Pattern() { pcre2_code_free(code); }
};

TokenEncoding::TokenEncoding()
{
    static std::atomic<quint64> serials = 0;
    m_serial = ++serials;
}

TokenEncoding::~TokenEncoding() = default;

const TokenEncoding& TokenEncoding::o200kBase()
{
    static const std::unique_ptr<TokenEncoding> encoding = [] {
        QFile file(kBuiltInRankFile);
        QString error;
        std::unique_ptr<TokenEncoding> built;
        if (file.open(QIODevice::ReadOnly))
            built = fromRankFile(file.readAll(), &error);
        else
            error = file.errorString();
        if (!built)
            qFatal("The built-in token table %s is unusable: %s", qPrintable(kBuiltInRankFile),
                   qPrintable(error));
        return built;
    }();
    return *encoding;
}

std::unique_ptr<TokenEncoding> TokenEncoding::fromRankFile(const QByteArray& rankFile,
                                                           QString* error)
{
    std::unique_ptr<TokenEncoding> encoding(new TokenEncoding);
    encoding->m_rankFile = rankFile;
    if (!encoding->buildTable(error))
        return nullptr;

    auto pattern = std::make_unique<Pattern>();
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    pattern->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kPattern), PCRE2_ZERO_TERMINATED,
                                  PCRE2_UTF | PCRE2_NO_UTF_CHECK, &errorCode, &errorOffset,
                                  nullptr);
    if (!pattern->code) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(errorCode, message, sizeof message);
        if (error)
            *error = QStringLiteral("the pattern does not compile: %1")
                         .arg(QString::fromUtf8(reinterpret_cast<const char*>(message)));
        return nullptr;
    }
    // Without a JIT (an unsupported processor) the interpreter gives the same matches, slower.
    pattern->jit = pcre2_jit_compile(pattern->code, PCRE2_JIT_COMPLETE) == 0;
    encoding->m_pattern = std::move(pattern);
    return encoding;
}

bool TokenEncoding::buildTable(QString* error)
{
    const auto fail = [error](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    const auto* bytes = reinterpret_cast<const unsigned char*>(m_rankFile.constData());
    const qsizetype size = m_rankFile.size();
    if (size < 8 || std::memcmp(bytes, "BPE1", 4) != 0)
        return fail(QStringLiteral("not a rank table"));
    const quint32 count = static_cast<quint32>(bytes[4]) | static_cast<quint32>(bytes[5]) << 8
                          | static_cast<quint32>(bytes[6]) << 16
                          | static_cast<quint32>(bytes[7]) << 24;
    if (count < 256 || count > static_cast<quint32>(size))
        return fail(QStringLiteral("implausible token count %1").arg(count));

    m_offsets.reserve(count);
    qsizetype at = 8;
    for (quint32 i = 0; i < count; ++i) {
        if (at >= size || bytes[at] == 0 || size - at - 1 < bytes[at])
            return fail(QStringLiteral("token %1 is truncated").arg(i));
        m_offsets.push_back(static_cast<quint32>(at + 1));
        at += 1 + bytes[at];
    }
    if (at != size)
        return fail(QStringLiteral("%1 bytes follow the last token").arg(size - at));

    quint32 slotCount = 1;
    while (slotCount < count * 2)
        slotCount <<= 1;
    m_slots.assign(slotCount, 0);
    m_slotMask = slotCount - 1;
    for (quint32 r = 0; r < count; ++r) {
        const unsigned char* token = bytes + m_offsets[r];
        const qsizetype length = token[-1];
        if (rank(token, length) >= 0)
            return fail(QStringLiteral("token %1 appears twice").arg(r));
        const quint64 hash = hashBytes(token, length);
        quint32 slot = static_cast<quint32>(hash) & m_slotMask;
        while (m_slots[slot] != 0)
            slot = (slot + 1) & m_slotMask;
        m_slots[slot] = (hash & kFingerprintMask) | (r + 1);
    }
    // Every single byte must be a token, or a piece could not be encoded.
    for (int b = 0; b < 256; ++b) {
        const unsigned char byte = static_cast<unsigned char>(b);
        if (rank(&byte, 1) < 0)
            return fail(QStringLiteral("byte %1 is not a token").arg(b));
    }
    return true;
}

int TokenEncoding::rank(const unsigned char* piece, qsizetype length) const
{
    return rank(piece, length, hashBytes(piece, length));
}

int TokenEncoding::rank(const unsigned char* piece, qsizetype length, quint64 hash) const
{
    const auto* base = reinterpret_cast<const unsigned char*>(m_rankFile.constData());
    const quint64 fingerprint = hash & kFingerprintMask;
    quint32 slot = static_cast<quint32>(hash) & m_slotMask;
    while (const quint64 entry = m_slots[slot]) {
        if ((entry & kFingerprintMask) == fingerprint) {
            const auto r = static_cast<quint32>(entry) - 1;
            const unsigned char* token = base + m_offsets[r];
            if (token[-1] == length
                && std::memcmp(token, piece, static_cast<size_t>(length)) == 0)
                return static_cast<int>(r);
        }
        slot = (slot + 1) & m_slotMask;
    }
    return -1;
}

qint64 TokenEncoding::countPiece(const unsigned char* piece, qsizetype length) const
{
    if (length == 1)
        return 1;
    // Text repeats its words: short pieces' counts are remembered, which spares both the lookup
    // in the large table (a cache miss, mostly) and the merging.
    const quint64 hash = hashBytes(piece, length);
    PieceCache::Entry* remembered = nullptr;
    if (length <= PieceCache::kLongestPiece) {
        PieceCache& cache = pieceCache();
        remembered = &cache.entries[hash & (PieceCache::kEntries - 1)];
        if (remembered->length == length
            && std::memcmp(remembered->bytes, piece, static_cast<size_t>(length)) == 0)
            return remembered->tokens;
    }
    const qint64 tokens = rank(piece, length, hash) >= 0 ? 1 : mergeCount(piece, length);
    if (remembered) {
        remembered->length = static_cast<unsigned char>(length);
        remembered->tokens = static_cast<unsigned char>(tokens);
        std::memcpy(remembered->bytes, piece, static_cast<size_t>(length));
    }
    return tokens;
}

TokenEncoding::PieceCache& TokenEncoding::pieceCache() const
{
    thread_local PieceCache cache;
    if (cache.encodingSerial != m_serial) {
        cache.entries.fill({});
        cache.encodingSerial = m_serial;
    }
    return cache;
}

qint64 TokenEncoding::mergeCount(const unsigned char* piece, qsizetype length) const
{

    // Parts are kept as a linked list over the piece's byte positions; the candidate merges
    // (the pair of parts starting at a position) wait in a heap ordered by rank, then position,
    // so equal ranks merge leftmost first. A merge changes the pairs on both sides of it, whose
    // new ranks are pushed; the old entries are recognised as stale by their rank.
    struct Candidate {
        int rank;
        int start;
        bool operator>(const Candidate& other) const
        {
            return rank != other.rank ? rank > other.rank : start > other.start;
        }
    };
    // Kept between calls to spare the allocations; the loop below always leaves the heap empty.
    thread_local std::vector<int> next, previous, pairRank;
    thread_local std::priority_queue<Candidate, std::vector<Candidate>, std::greater<>> heap;
    const int n = static_cast<int>(length);
    next.resize(static_cast<size_t>(n));
    previous.resize(static_cast<size_t>(n));
    pairRank.resize(static_cast<size_t>(n));

    const auto rankOfPairAt = [&](int start) {
        const int second = next[static_cast<size_t>(start)];
        if (second >= n)
            return -1;
        const int end = next[static_cast<size_t>(second)];
        return rank(piece + start, (end >= n ? n : end) - start);
    };
    for (int i = 0; i < n; ++i) {
        next[static_cast<size_t>(i)] = i + 1;
        previous[static_cast<size_t>(i)] = i - 1;
    }
    for (int i = 0; i + 1 < n; ++i) {
        const int r = rank(piece + i, 2);
        pairRank[static_cast<size_t>(i)] = r;
        if (r >= 0)
            heap.push({r, i});
    }
    pairRank[static_cast<size_t>(n - 1)] = -1;

    qint64 parts = n;
    while (!heap.empty()) {
        const Candidate top = heap.top();
        heap.pop();
        if (pairRank[static_cast<size_t>(top.start)] != top.rank)
            continue;
        // Merge the part at top.start with the one after it.
        const int removed = next[static_cast<size_t>(top.start)];
        const int after = next[static_cast<size_t>(removed)];
        next[static_cast<size_t>(top.start)] = after;
        if (after < n)
            previous[static_cast<size_t>(after)] = top.start;
        pairRank[static_cast<size_t>(removed)] = -1;
        --parts;
        for (const int start : {previous[static_cast<size_t>(top.start)], top.start}) {
            if (start < 0)
                continue;
            const int r = rankOfPairAt(start);
            pairRank[static_cast<size_t>(start)] = r;
            if (r >= 0)
                heap.push({r, start});
        }
    }
    return parts;
}

std::optional<qint64> TokenEncoding::count(QByteArrayView utf8,
                                           const std::atomic_bool* cancelled) const
{
    const auto* subject = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto length = static_cast<PCRE2_SIZE>(utf8.size());
    if (length == 0)
        return qint64(0);
    if (!isValidUtf8(subject, utf8.size()))
        return std::nullopt;

    struct MatchState {
        pcre2_match_data* data = nullptr;
        pcre2_jit_stack* stack = nullptr;
        pcre2_match_context* context = nullptr;
        ~MatchState()
        {
            pcre2_match_data_free(data);
            pcre2_match_context_free(context);
            pcre2_jit_stack_free(stack);
        }
    } state;
    state.data = pcre2_match_data_create_from_pattern(m_pattern->code, nullptr);
    if (m_pattern->jit) {
        // Long runs of blanks backtrack one character at a time: give the JIT room for them.
        state.stack = pcre2_jit_stack_create(32 * 1024, 8 * 1024 * 1024, nullptr);
        state.context = pcre2_match_context_create(nullptr);
        pcre2_jit_stack_assign(state.context, nullptr, state.stack);
    }

    qint64 tokens = 0;
    PCRE2_SIZE offset = 0;
    int untilCheck = kCancelCheckInterval;
    while (offset < length) {
        if (--untilCheck == 0) {
            untilCheck = kCancelCheckInterval;
            if (cancelled && cancelled->load(std::memory_order_relaxed))
                return std::nullopt;
        }
        const int matched =
            m_pattern->jit ? pcre2_jit_match(m_pattern->code, subject, length, offset, 0,
                                             state.data, state.context)
                           : pcre2_match(m_pattern->code, subject, length, offset,
                                         PCRE2_NO_UTF_CHECK, state.data, nullptr);
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(state.data);
        if (matched < 0 || ovector[1] <= offset) {
            // Every character matches one of the alternatives; should the engine still give up
            // (a resource limit), count the rest as one token per byte rather than miss it.
            tokens += static_cast<qint64>(length - offset);
            break;
        }
        // Bytes the pattern skipped (none, as every character matches) count one token each.
        tokens += static_cast<qint64>(ovector[0] - offset);
        tokens += countPiece(subject + ovector[0], static_cast<qsizetype>(ovector[1] - ovector[0]));
        offset = ovector[1];
    }
    return tokens;
}

qint64 TokenEncoding::count(QStringView text, const std::atomic_bool* cancelled) const
{
    return count(QByteArrayView(text.toUtf8()), cancelled).value_or(-1);
}
