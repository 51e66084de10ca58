// The remembered projects ("recentFoldersJson"): a decoded list survives encoding and decoding
// unchanged, every member of every record; bytes that do not decode are refused with a reason.
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto decode = [](const QByteArray& bytes) { return RecentFolderCodec::decode(bytes); };
    QString error;
    if (const auto folders = RecentFolderCodec::decode(fuzzBytes(data, size), &error))
        checkRoundTrip(*folders, RecentFolderCodec::encode, decode, sameFolders);
    else
        FUZZ_CHECK(!error.isEmpty());
    return 0;
}
