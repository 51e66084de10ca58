// The custom tags ("savedCustomTags"): a decoded list survives encoding and decoding unchanged;
// bytes that do not decode are refused with a reason.
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
    return 0;
}
