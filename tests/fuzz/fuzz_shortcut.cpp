// The stored global shortcut: a decoded value and a shortcut the fuzzer builds survive encoding
// and decoding unchanged.
#include "FuzzSupport.h"

#include "KeyboardShortcuts/Shortcut.h"

using KeyboardShortcuts::Shortcut;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto encode = [](const Shortcut& shortcut) { return shortcut.toJson(); };
    if (const std::optional<Shortcut> shortcut = Shortcut::fromJson(fuzzBytes(data, size)))
        checkRoundTrip(*shortcut, encode, Shortcut::fromJson);

    // Key codes and modifier bits as stored: any 32-bit integers.
    FuzzInput input(data, size);
    checkRoundTrip(
        Shortcut::fromStored(input.integer<std::int32_t>(), input.integer<std::int32_t>()), encode,
        Shortcut::fromJson);
    return 0;
}
