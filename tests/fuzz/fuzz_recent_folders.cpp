// The remembered projects ("recentFoldersJson"): a decoded list and a list the fuzzer builds
// survive encoding and decoding unchanged, every member of every record.
#include "FuzzSupport.h"

#include "model/RecentFolder.h"

namespace {

bool sameFolders(const QList<RecentFolder>& a, const QList<RecentFolder>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.id == y.id && x.bookmarkData == y.bookmarkData && x.path == y.path &&
               x.isPinned == y.isPinned && x.lastAccessed == y.lastAccessed &&
               x.savedSelectedPaths == y.savedSelectedPaths &&
               x.savedExpandedPaths == y.savedExpandedPaths && x.manualTag == y.manualTag &&
               x.customColorHex == y.customColorHex;
    });
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto decode = [](const QByteArray& bytes) { return RecentFolderCodec::decode(bytes); };
    QString error;
    if (const auto folders = RecentFolderCodec::decode(fuzzBytes(data, size), &error))
        checkRoundTrip(*folders, RecentFolderCodec::encode, decode, sameFolders);
    else
        FUZZ_CHECK(!error.isEmpty());

    FuzzInput input(data, size);
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
        folder.manualTag = input.optionalText();
        folder.customColorHex = input.optionalText();
        folders.append(folder);
    }
    checkRoundTrip(folders, RecentFolderCodec::encode, decode, sameFolders);
    return 0;
}
