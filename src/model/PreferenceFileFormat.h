#pragma once

#include <QByteArray>
#include <QVariantMap>

#include <optional>

// The bytes of the preference file and the typed values they hold.
//
// The file is one JSON object. A text is a JSON string, a Boolean is true or false, a number is
// a JSON number and a byte string is an object {"base64": "..."}. A member of any other form
// (null, an array, another object, a "base64" member that is not Base64) is kept as its
// QJsonValue, so that writing the values back loses nothing, but it is never read as a value.
namespace PreferenceFileFormat {

// The values of a whole file. Empty or blank content is an empty store; none when the content
// is not a JSON object.
std::optional<QVariantMap> read(const QByteArray& content);

// The file for `values`, members sorted by key. Every value read by read() is written back in
// a form that reads as the same value.
QByteArray write(const QVariantMap& values);

} // namespace PreferenceFileFormat
