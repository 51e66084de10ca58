// The stored global shortcut: a value that decodes re-encodes to bytes that decode to the same
// shortcut, and a shortcut the fuzzer builds survives encoding and decoding unchanged.
#include "FuzzSupport.h"

#include "KeyboardShortcuts/Shortcut.h"

using KeyboardShortcuts::Shortcut;

namespace {

void checkRoundTrip(const Shortcut& shortcut)
{
    const QByteArray encoded = shortcut.toJson();
    const std::optional<Shortcut> decoded = Shortcut::fromJson(encoded);
    FUZZ_CHECK(decoded.has_value());
    FUZZ_CHECK(*decoded == shortcut);
    FUZZ_CHECK(decoded->toJson() == encoded);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (const std::optional<Shortcut> shortcut = Shortcut::fromJson(fuzzBytes(data, size)))
        checkRoundTrip(*shortcut);

    // Key codes and modifier bits as stored: any 32-bit integers.
    FuzzInput input(data, size);
    checkRoundTrip(
        Shortcut::fromStored(input.integer<std::int32_t>(), input.integer<std::int32_t>()));
    return 0;
}
