// The custom tags ("savedCustomTags"): a decoded list re-encodes to bytes that decode to the
// same list, and a list the fuzzer builds survives encoding and decoding unchanged.
#include "FuzzSupport.h"

#include "model/CustomTagDefinition.h"

namespace {

void checkRoundTrip(const QList<CustomTagDefinition>& tags)
{
    const QByteArray encoded = CustomTagCodec::encode(tags);
    const std::optional<QList<CustomTagDefinition>> decoded = CustomTagCodec::decode(encoded);
    FUZZ_CHECK(decoded.has_value());
    FUZZ_CHECK(*decoded == tags);
    FUZZ_CHECK(CustomTagCodec::encode(*decoded) == encoded);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QString error;
    if (const auto tags = CustomTagCodec::decode(fuzzBytes(data, size), &error))
        checkRoundTrip(*tags);
    else
        FUZZ_CHECK(!error.isEmpty());

    FuzzInput input(data, size);
    QList<CustomTagDefinition> built;
    while (!input.atEnd() && built.size() < 6)
        built.append({input.text(), input.text(12)});
    checkRoundTrip(built);
    return 0;
}
