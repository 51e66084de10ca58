// The custom tags ("savedCustomTags"): a decoded list and a list the fuzzer builds survive
// encoding and decoding unchanged.
#include "FuzzSupport.h"

#include "model/CustomTagDefinition.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto decode = [](const QByteArray& bytes) { return CustomTagCodec::decode(bytes); };
    QString error;
    if (const auto tags = CustomTagCodec::decode(fuzzBytes(data, size), &error))
        checkRoundTrip(*tags, CustomTagCodec::encode, decode);
    else
        FUZZ_CHECK(!error.isEmpty());

    FuzzInput input(data, size);
    QList<CustomTagDefinition> built;
    while (!input.atEnd() && built.size() < 6)
        built.append({input.text(), input.text(12)});
    checkRoundTrip(built, CustomTagCodec::encode, decode);
    return 0;
}
