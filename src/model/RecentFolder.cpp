#include "model/RecentFolder.h"

#include "model/JsonWriter.h"
#include "model/StoredRecordReader.h"

#include <algorithm>

namespace RecentFolderCodec {

namespace {

void writeSet(JsonWriter& writer, const QSet<QString>& set)
{
    // A set has no order; sorting keeps the stored file stable between saves.
    QStringList members(set.cbegin(), set.cend());
    std::sort(members.begin(), members.end());
    writer.beginArray();
    for (const QString& member : members)
        writer.value(member);
    writer.endArray();
}

RecentFolder readFolder(const QJsonObject& object)
{
    using namespace StoredRecordReader;
    RecentFolder folder;
    const QString idText = requiredString(object, QStringLiteral("id"));
    folder.id = QUuid::fromString(idText);
    if (folder.id.isNull() && idText != QUuid().toString(QUuid::WithoutBraces))
        throw DecodeError("member \"id\" is not a UUID");

    const QString bookmark = requiredString(object, QStringLiteral("bookmarkData"));
    auto decoded = QByteArray::fromBase64Encoding(bookmark.toLatin1(),
                                                  QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        throw DecodeError("member \"bookmarkData\" is not Base64");
    folder.bookmarkData = *decoded;

    folder.path = requiredString(object, QStringLiteral("path"));
    folder.isPinned = requiredBool(object, QStringLiteral("isPinned"));
    folder.lastAccessed = requiredNumber(object, QStringLiteral("lastAccessed"));
    folder.savedSelectedPaths = optionalStringSet(object, QStringLiteral("savedSelectedPaths"));
    folder.savedExpandedPaths = optionalStringSet(object, QStringLiteral("savedExpandedPaths"));
    folder.manualTag = optionalString(object, QStringLiteral("manualTag"));
    folder.customColorHex = optionalString(object, QStringLiteral("customColorHex"));
    return folder;
}

} // namespace

QByteArray encode(const QList<RecentFolder>& folders)
{
    JsonWriter writer;
    writer.beginArray();
    for (const RecentFolder& folder : folders) {
        writer.beginObject();
        writer.key(QStringLiteral("id"));
        writer.value(folder.id.toString(QUuid::WithoutBraces).toUpper());
        writer.key(QStringLiteral("bookmarkData"));
        writer.value(QString::fromLatin1(folder.bookmarkData.toBase64()));
        writer.key(QStringLiteral("path"));
        writer.value(folder.path);
        writer.key(QStringLiteral("isPinned"));
        writer.value(folder.isPinned);
        writer.key(QStringLiteral("lastAccessed"));
        writer.value(folder.lastAccessed);
        if (folder.savedSelectedPaths) {
            writer.key(QStringLiteral("savedSelectedPaths"));
            writeSet(writer, *folder.savedSelectedPaths);
        }
        if (folder.savedExpandedPaths) {
            writer.key(QStringLiteral("savedExpandedPaths"));
            writeSet(writer, *folder.savedExpandedPaths);
        }
        if (folder.manualTag) {
            writer.key(QStringLiteral("manualTag"));
            writer.value(*folder.manualTag);
        }
        if (folder.customColorHex) {
            writer.key(QStringLiteral("customColorHex"));
            writer.value(*folder.customColorHex);
        }
        writer.endObject();
    }
    writer.endArray();
    return writer.bytes();
}

std::optional<QList<RecentFolder>> decode(const QByteArray& bytes, QString* error)
{
    try {
        const QJsonArray array = StoredRecordReader::parseArrayOfObjects(bytes);
        QList<RecentFolder> folders;
        folders.reserve(array.size());
        for (const QJsonValue& element : array)
            folders.append(readFolder(element.toObject()));
        return folders;
    } catch (const StoredRecordReader::DecodeError& failure) {
        if (error)
            *error = QString::fromStdString(failure.what());
        return std::nullopt;
    }
}

} // namespace RecentFolderCodec
