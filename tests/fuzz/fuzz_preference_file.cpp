// The preference file as read at start: whatever the bytes, reading never fails badly, and a
// store that could be read (of the types the application writes, or any other JSON value) is
// written back without losing or changing any member.
#include "FuzzSupport.h"

#include "model/PreferenceFileFormat.h"

#include <QJsonValue>

namespace {

bool sameStore(const QVariantMap& a, const QVariantMap& b)
{
    // Same keys, and under each a value of the same type (a kept JSON value too) and content.
    return a.keys() == b.keys() && std::all_of(a.keyBegin(), a.keyEnd(), [&](const QString& key) {
               return a.value(key).typeId() == b.value(key).typeId() &&
                      a.value(key) == b.value(key);
           });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (const std::optional<QVariantMap> values = PreferenceFileFormat::read(fuzzBytes(data, size)))
        checkRoundTrip(*values, PreferenceFileFormat::write, PreferenceFileFormat::read, sameStore);
    return 0;
}
