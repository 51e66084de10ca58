#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <type_traits>

// The entry point of every target, called by libFuzzer and by the replay of the kept inputs.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

[[noreturn]] inline void fuzzPropertyFailed(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, condition);
    std::abort();
}

// Stops the run when a property does not hold; the fuzzer then keeps the input that broke it.
#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? void() : fuzzPropertyFailed(#condition, __FILE__, __LINE__))

inline QByteArray fuzzBytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// `value` encodes to bytes that decode to the same value and encode to the same bytes again.
template <typename T, typename Encode, typename Decode, typename Same = std::equal_to<>>
void checkRoundTrip(const T& value, Encode encode, Decode decode, Same same = {})
{
    const QByteArray encoded = encode(value);
    const std::optional<T> decoded = decode(encoded);
    FUZZ_CHECK(decoded.has_value());
    FUZZ_CHECK(same(*decoded, value));
    FUZZ_CHECK(encode(*decoded) == encoded);
}

// Reads integers from the fuzzer's bytes, front to back, so that the fuzzer can build values.
// Past the end every read gives zero.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : m_data(data)
        , m_size(size)
    {}

    template <typename T>
    T integer()
    {
        std::make_unsigned_t<T> value = 0;
        for (std::size_t i = 0; i < sizeof(T) && m_position < m_size; ++i)
            value = static_cast<std::make_unsigned_t<T>>((value << 8) | m_data[m_position++]);
        return static_cast<T>(value);
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
};
