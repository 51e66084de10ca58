#include "platform/TextFileReader.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString describeOpenError(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("The file does not exist.");
    case EACCES:
    case EPERM:
        return QStringLiteral("You do not have permission to read the file.");
    default:
        return QStringLiteral("The file could not be opened (%1).")
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

QString describeReadError(int error)
{
    if (error == EISDIR)
        return QStringLiteral("The path names a folder, not a file.");
    return QStringLiteral("The file could not be read (%1).")
        .arg(QString::fromLocal8Bit(std::strerror(error)));
}

QString tooLarge()
{
    return QStringLiteral("The file is too large.");
}

void setError(QString* target, const QString& text)
{
    if (target)
        *target = text;
}

// Closes a descriptor when leaving scope.
struct DescriptorCloser {
    int fd;
    ~DescriptorCloser() { ::close(fd); }
};

} // namespace

TextFileReader::TextFileReader(ReadFunction read)
    : m_read(read ? read : &::read)
{}

qint64 TextFileReader::sizeLimit()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    // Well within what a string can hold (up to one character, two bytes, per byte read).
    const qint64 stringLimit = std::numeric_limits<qsizetype>::max() / 4;
    if (pages <= 0 || pageSize <= 0)
        return stringLimit;
    return std::min(stringLimit, static_cast<qint64>(pages) / 3 * pageSize);
}

bool TextFileReader::readBytes(const QString& path, QString* errorDescription)
{
    m_length = 0;
    // Non-blocking, so that a named pipe in the tree cannot stall the reader; it is refused below
    // like anything else that is not a regular file.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        setError(errorDescription, describeOpenError(errno));
        return false;
    }
    DescriptorCloser closer{fd};
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        setError(errorDescription, describeReadError(errno));
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        setError(errorDescription, describeReadError(EISDIR));
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        setError(errorDescription, QStringLiteral("The path does not name a regular file."));
        return false;
    }

    return readToEnd(fd, static_cast<qint64>(info.st_size), errorDescription);
}

bool TextFileReader::readToEnd(int fd, qint64 expectedSize, QString* errorDescription)
{
    const qint64 limit = sizeLimit();
    if (expectedSize > limit) {
        setError(errorDescription, tooLarge());
        return false;
    }
    // Room for the whole file plus one byte, which tells at once whether it grew since fstat.
    qsizetype wanted = static_cast<qsizetype>(expectedSize) + 1;
    for (;;) {
        if (m_buffer.size() - m_length < wanted) {
            if (m_length + wanted > limit + 1) {
                setError(errorDescription, tooLarge());
                return false;
            }
            try {
                m_buffer.resize(m_length + wanted);
            } catch (const std::bad_alloc&) {
                m_buffer = QByteArray();
                setError(errorDescription, tooLarge());
                return false;
            }
        }
        const qsizetype room = m_buffer.size() - m_length;
        const ssize_t got = m_read(fd, m_buffer.data() + m_length, static_cast<size_t>(room));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            setError(errorDescription, describeReadError(errno));
            return false;
        }
        if (got == 0)
            return true;
        m_length += got;
        // A file that grew since fstat: ask for room in doubling steps.
        wanted = m_length == m_buffer.size() ? std::max<qsizetype>(4096, m_length) : 0;
    }
}

qint64 TextFileReader::fileSize(const QString& path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return 0;
    return static_cast<qint64>(info.st_size);
}

bool TextFileReader::appendUtf8(QByteArrayView bytes, QString& out)
{
    const qsizetype start = out.size();
    // UTF-8 never needs more UTF-16 units than it has bytes. (A failing allocation throws and
    // leaves `out` as it was.)
    out.resize(start + bytes.size());
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    QChar* const begin = out.data() + start;
    QChar* const end = decoder.appendToBuffer(begin, bytes);
    if (decoder.hasError()) {
        out.resize(start);
        return false;
    }
    out.resize(start + (end - begin));
    return true;
}

bool TextFileReader::appendFile(const QString& path, QString& out, QString* errorDescription)
{
    if (!readBytes(path, errorDescription))
        return false;
    const QByteArrayView bytes(m_buffer.constData(), m_length);
    bool valid = false;
    try {
        valid = appendUtf8(bytes, out);
    } catch (const std::bad_alloc&) {
        setError(errorDescription, tooLarge());
        return false;
    }
    if (!valid) {
        setError(errorDescription, QStringLiteral("The file is not valid UTF-8 text."));
        return false;
    }
    return true;
}

bool TextFileReader::readFile(const QString& path, QString& text, QString* errorDescription)
{
    TextFileReader reader;
    QString result;
    if (!reader.appendFile(path, result, errorDescription))
        return false;
    text = std::move(result);
    return true;
}
