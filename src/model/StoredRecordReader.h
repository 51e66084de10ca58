#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QString>

#include <optional>
#include <stdexcept>

// Reading helpers shared by the record codecs. A required member that is missing or of the
// wrong type throws DecodeError, which the codec turns into the failure of the whole array.
namespace StoredRecordReader {

struct DecodeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Parses bytes that must hold a JSON array of objects.
QJsonArray parseArrayOfObjects(const QByteArray& bytes);

QString requiredString(const QJsonObject& object, const QString& key);
bool requiredBool(const QJsonObject& object, const QString& key);
double requiredNumber(const QJsonObject& object, const QString& key);

// Absent or null gives none; any other type than the expected one throws.
std::optional<QString> optionalString(const QJsonObject& object, const QString& key);
std::optional<QSet<QString>> optionalStringSet(const QJsonObject& object, const QString& key);

} // namespace StoredRecordReader
