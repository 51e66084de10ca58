// The preference file as read at start: whatever the bytes, reading never fails badly, and a
// store that could be read is written back without losing or changing any member.
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

void checkRewriteKeepsEverything(const QVariantMap& values)
{
    const QByteArray written = PreferenceFileFormat::write(values);
    const std::optional<QVariantMap> reread = PreferenceFileFormat::read(written);
    FUZZ_CHECK(reread.has_value());
    FUZZ_CHECK(reread->keys() == values.keys());
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        FUZZ_CHECK(sameValue(it.value(), reread->value(it.key())));
    FUZZ_CHECK(PreferenceFileFormat::write(*reread) == written);
}

// A store the application could have made: texts, byte strings, Booleans and numbers.
QVariantMap buildStore(FuzzInput& input)
{
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
            break;
        }
    }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (const std::optional<QVariantMap> values = PreferenceFileFormat::read(fuzzBytes(data, size)))
        checkRewriteKeepsEverything(*values);

    FuzzInput input(data, size);
    checkRewriteKeepsEverything(buildStore(input));
    return 0;
}
