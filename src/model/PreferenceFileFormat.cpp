#include "model/PreferenceFileFormat.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

namespace PreferenceFileFormat {

namespace {

const QString base64Member = QStringLiteral("base64");

QVariant variantFromJson(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::Double:
        return value.toDouble();
    case QJsonValue::Object: {
        const QJsonObject object = value.toObject();
        const QJsonValue encoded = object.value(base64Member);
        if (object.size() == 1 && encoded.isString()) {
            auto decoded = QByteArray::fromBase64Encoding(encoded.toString().toLatin1(),
                                                          QByteArray::AbortOnBase64DecodingErrors);
            if (decoded)
                return *decoded;
        }
        break;
    }
    default:
        break;
    }
    // Kept as it stands so that a rewrite of the file loses nothing, but never read as a value.
    return QVariant::fromValue(value);
}

QJsonValue jsonFromVariant(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::QByteArray:
        return QJsonObject{{base64Member, QString::fromLatin1(value.toByteArray().toBase64())}};
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toDouble();
    default:
        if (value.canConvert<QJsonValue>())
            return value.value<QJsonValue>();
        return QJsonValue(QJsonValue::Null);
    }
}

} // namespace

std::optional<QVariantMap> read(const QByteArray& content)
{
    if (content.trimmed().isEmpty())
        return QVariantMap();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    QVariantMap values;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it)
        values.insert(it.key(), variantFromJson(it.value()));
    return values;
}

QByteArray write(const QVariantMap& values)
{
    QJsonObject object;
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        object.insert(it.key(), jsonFromVariant(it.value()));
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

} // namespace PreferenceFileFormat
