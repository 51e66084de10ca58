// The remembered projects ("recentFoldersJson"): a decoded list re-encodes to bytes that decode
// to the same list, and a list the fuzzer builds survives encoding and decoding unchanged.
#include "FuzzSupport.h"

#include "model/RecentFolder.h"

namespace {

bool sameFolder(const RecentFolder& a, const RecentFolder& b)
{
    return a.id == b.id && a.bookmarkData == b.bookmarkData && a.path == b.path &&
           a.isPinned == b.isPinned && a.lastAccessed == b.lastAccessed &&
           a.savedSelectedPaths == b.savedSelectedPaths &&
           a.savedExpandedPaths == b.savedExpandedPaths && a.manualTag == b.manualTag &&
           a.customColorHex == b.customColorHex;
}

void checkRoundTrip(const QList<RecentFolder>& folders)
{
    const QByteArray encoded = RecentFolderCodec::encode(folders);
    QString error;
    const std::optional<QList<RecentFolder>> decoded = RecentFolderCodec::decode(encoded, &error);
    FUZZ_CHECK(decoded.has_value());
    FUZZ_CHECK(decoded->size() == folders.size());
    for (qsizetype i = 0; i < folders.size(); ++i)
        FUZZ_CHECK(sameFolder(folders.at(i), decoded->at(i)));
    FUZZ_CHECK(RecentFolderCodec::encode(*decoded) == encoded);
}

std::optional<QSet<QString>> buildPathSet(FuzzInput& input)
{
    if (!input.boolean())
        return std::nullopt;
    QSet<QString> paths;
    for (int n = input.integer<std::uint8_t>() % 4; n > 0; --n)
        paths.insert(input.text(60));
    return paths;
}

std::optional<QString> buildOptionalText(FuzzInput& input)
{
    if (!input.boolean())
        return std::nullopt;
    return input.text();
}

QList<RecentFolder> buildFolders(FuzzInput& input)
{
    QList<RecentFolder> folders;
    while (!input.atEnd() && folders.size() < 4) {
        RecentFolder folder;
        folder.id = QUuid::fromRfc4122(input.bytes(16).leftJustified(16, '\0', true));
        folder.bookmarkData = input.bytes(80);
        folder.path = input.text(80);
        folder.isPinned = input.boolean();
        folder.lastAccessed = input.finiteNumber();
        folder.savedSelectedPaths = buildPathSet(input);
        folder.savedExpandedPaths = buildPathSet(input);
        folder.manualTag = buildOptionalText(input);
        folder.customColorHex = buildOptionalText(input);
        folders.append(folder);
    }
    return folders;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QString error;
    if (const auto folders = RecentFolderCodec::decode(fuzzBytes(data, size), &error))
        checkRoundTrip(*folders);
    else
        FUZZ_CHECK(!error.isEmpty());

    FuzzInput input(data, size);
    checkRoundTrip(buildFolders(input));
    return 0;
}
