#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// A tag the user made, with its colour text ("#RRGGBB" or "#RRGGBBAA").
struct CustomTagDefinition {
    QString name;
    QString colorHex;

    friend bool operator==(const CustomTagDefinition&, const CustomTagDefinition&) = default;
};

size_t qHash(const CustomTagDefinition& tag, size_t seed = 0) noexcept;

// The stored form: a compact JSON array of {"name": ..., "colorHex": ...} objects.
namespace CustomTagCodec {

QByteArray encode(const QList<CustomTagDefinition>& tags);

// Fails as a whole when any element lacks a member or has a member of the wrong type.
std::optional<QList<CustomTagDefinition>> decode(const QByteArray& bytes, QString* error = nullptr);

} // namespace CustomTagCodec
