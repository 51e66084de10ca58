#include "model/CustomTagDefinition.h"

#include "model/JsonWriter.h"
#include "model/StoredRecordReader.h"

#include <QHash>

size_t qHash(const CustomTagDefinition& tag, size_t seed) noexcept
{
    return qHashMulti(seed, tag.name, tag.colorHex);
}

namespace CustomTagCodec {

QByteArray encode(const QList<CustomTagDefinition>& tags)
{
    JsonWriter writer;
    writer.beginArray();
    for (const CustomTagDefinition& tag : tags) {
        writer.beginObject();
        writer.key(QStringLiteral("name"));
        writer.value(tag.name);
        writer.key(QStringLiteral("colorHex"));
        writer.value(tag.colorHex);
        writer.endObject();
    }
    writer.endArray();
    return writer.bytes();
}

std::optional<QList<CustomTagDefinition>> decode(const QByteArray& bytes, QString* error)
{
    using namespace StoredRecordReader;
    try {
        const QJsonArray array = parseArrayOfObjects(bytes);
        QList<CustomTagDefinition> tags;
        tags.reserve(array.size());
        for (const QJsonValue& element : array) {
            const QJsonObject object = element.toObject();
            tags.append({requiredString(object, QStringLiteral("name")),
                         requiredString(object, QStringLiteral("colorHex"))});
        }
        return tags;
    } catch (const DecodeError& failure) {
        if (error)
            *error = QString::fromStdString(failure.what());
        return std::nullopt;
    }
}

} // namespace CustomTagCodec
