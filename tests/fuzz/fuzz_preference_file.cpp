// The preference file as read at start: whatever the bytes, reading never fails badly, and a
// store that could be read, or one the fuzzer builds of the types the application writes, is
// written back without losing or changing any member.
#include "FuzzSupport.h"

#include "model/PreferenceFileFormat.h"

#include <QJsonValue>

namespace {

bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.typeId() != b.typeId())
        return false;
    switch (a.typeId()) {
    case QMetaType::QString:
        return a.toString() == b.toString();
    case QMetaType::QByteArray:
        return a.toByteArray() == b.toByteArray();
    case QMetaType::Bool:
        return a.toBool() == b.toBool();
    case QMetaType::Double:
        return a.toDouble() == b.toDouble();
    default:
        return a.value<QJsonValue>() == b.value<QJsonValue>();
    }
}

bool sameStore(const QVariantMap& a, const QVariantMap& b)
{
    return a.keys() == b.keys() && std::all_of(a.keyBegin(), a.keyEnd(), [&](const QString& key) {
               return sameValue(a.value(key), b.value(key));
           });
}

void checkRewriteKeepsEverything(const QVariantMap& values)
{
    checkRoundTrip(values, PreferenceFileFormat::write, PreferenceFileFormat::read, sameStore);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (const std::optional<QVariantMap> values = PreferenceFileFormat::read(fuzzBytes(data, size)))
        checkRewriteKeepsEverything(*values);

    FuzzInput input(data, size);
    QVariantMap values;
    while (!input.atEnd() && values.size() < 8) {
        const QString key = input.text(24);
        switch (input.integer<std::uint8_t>() % 4) {
        case 0:
            values.insert(key, input.text(200));
            break;
        case 1:
            values.insert(key, input.bytes(200));
            break;
        case 2:
            values.insert(key, input.boolean());
            break;
        default:
            values.insert(key, input.finiteNumber());
        }
    }
    checkRewriteKeepsEverything(values);
    return 0;
}
