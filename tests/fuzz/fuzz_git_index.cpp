// Git index files (GitIndexFile): any bytes are read without fault, and what reads as an index
// holds paths without NUL that fill its text exactly; an index written from chosen paths, in
// version 2 and in version 4, reads back as those paths.
#include "FuzzSupport.h"

#include "engine/GitIndexFile.h"

#include <QByteArrayList>
#include <QtEndian>

#include <numeric>

namespace {

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

// An index holding `paths` (status and object names zero), in version 2 or 4.
QByteArray indexOf(const QByteArrayList& paths, quint32 version)
{
    QByteArray file = "DIRC" + bigEndian32(version) + bigEndian32(quint32(paths.size()));
    QByteArray previous;
    for (const QByteArray& path : paths) {
        const qsizetype entryStart = file.size();
        file += QByteArray(60, '\0') + char(std::min<qsizetype>(path.size(), 0xfff) >> 8) +
                char(std::min<qsizetype>(path.size(), 0xfff) & 0xff);
        if (version == 4) {
            // Bytes dropped from the previous path, in git's variable-length form.
            qsizetype common = 0;
            while (common < previous.size() && common < path.size() &&
                   previous[common] == path[common])
                ++common;
            quint64 drop = quint64(previous.size() - common);
            QByteArray number(1, char(drop & 0x7f));
            while (drop >>= 7)
                number.prepend(char(0x80 | (--drop & 0x7f)));
            file += number + path.mid(common) + '\0';
        } else {
            file += path + QByteArray(8 - (file.size() - entryStart + path.size()) % 8, '\0');
        }
        previous = path;
    }
    return file + QByteArray(20, '\0');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = fuzzBytes(data, size);
    GitIndexFile index;
    if (index.read(bytes)) {
        FUZZ_CHECK(std::accumulate(index.lengths.begin(), index.lengths.end(), size_t(0)) ==
                   index.text.size());
        FUZZ_CHECK(index.text.find('\0') == std::string::npos);
        FUZZ_CHECK(index.replaced <= index.lengths.size());
        for (size_t i = 0; i < index.deleted.size(); ++i) {
            FUZZ_CHECK(index.deleted[i].first < index.deleted[i].second);
            FUZZ_CHECK(i == 0 || index.deleted[i - 1].second < index.deleted[i].first);
        }
    }

    QByteArrayList paths = bytes.split('\0');
    paths.removeAll(QByteArray());
    for (const quint32 version : {2u, 4u}) {
        GitIndexFile written;
        FUZZ_CHECK(written.read(indexOf(paths, version)));
        FUZZ_CHECK(QByteArray::fromStdString(written.text) == paths.join());
        FUZZ_CHECK(written.lengths.size() == size_t(paths.size()) && !written.isSplit());
    }
    return 0;
}
