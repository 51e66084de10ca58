#include "platform/TextFileReader.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

    // One read for the whole file; the extra byte tells whether the file grew since fstat.
    qsizetype wanted = static_cast<qsizetype>(info.st_size) + 1;
    for (;;) {
        if (m_buffer.size() < m_length + wanted)
            m_buffer.resize(m_length + wanted);
        const ssize_t got = ::read(fd, m_buffer.data() + m_length, static_cast<size_t>(wanted));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            setError(errorDescription, describeReadError(errno));
            return false;
        }
        m_length += got;
        // A regular file reads short only at its end, so one call normally does it all. A file
        // that grew since fstat filled the extra byte: read on until the end.
        if (got < wanted)
            return true;
        wanted = std::max<qsizetype>(4096, m_length);
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
    // UTF-8 never needs more UTF-16 units than it has bytes.
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
    if (!appendUtf8(QByteArrayView(m_buffer.constData(), m_length), out)) {
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
