#include "model/StoredRecordReader.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace StoredRecordReader {

namespace {

[[noreturn]] void fail(const QString& message)
{
    throw DecodeError(message.toStdString());
}

QJsonValue required(const QJsonObject& object, const QString& key)
{
    const auto it = object.constFind(key);
    if (it == object.constEnd())
        fail(QStringLiteral("missing member \"%1\"").arg(key));
    return it.value();
}

[[noreturn]] void wrongType(const QString& key, const char* expected)
{
    fail(QStringLiteral("member \"%1\" is not %2").arg(key, QLatin1String(expected)));
}

} // namespace

QJsonArray parseArrayOfObjects(const QByteArray& bytes)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        fail(QStringLiteral("not valid JSON: %1 at offset %2")
                 .arg(parseError.errorString())
                 .arg(parseError.offset));
    if (!document.isArray())
        fail(QStringLiteral("the top-level value is not an array"));
    const QJsonArray array = document.array();
    for (qsizetype i = 0; i < array.size(); ++i) {
        if (!array.at(i).isObject())
            fail(QStringLiteral("element %1 is not an object").arg(i));
    }
    return array;
}

QString requiredString(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = required(object, key);
    if (!value.isString())
        wrongType(key, "a string");
    return value.toString();
}

bool requiredBool(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = required(object, key);
    if (!value.isBool())
        wrongType(key, "true or false");
    return value.toBool();
}

double requiredNumber(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = required(object, key);
    if (!value.isDouble())
        wrongType(key, "a number");
    return value.toDouble();
}

std::optional<QString> optionalString(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    if (!value.isString())
        wrongType(key, "a string");
    return value.toString();
}

std::optional<QSet<QString>> optionalStringSet(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    if (!value.isArray())
        wrongType(key, "an array");
    QSet<QString> result;
    const QJsonArray array = value.toArray();
    result.reserve(array.size());
    for (const QJsonValue& element : array) {
        if (!element.isString())
            wrongType(key, "an array of strings");
        result.insert(element.toString());
    }
    return result;
}

} // namespace StoredRecordReader
