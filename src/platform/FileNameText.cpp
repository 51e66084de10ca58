#include "platform/FileNameText.h"

namespace FileNameText {

namespace {

// The length of the UTF-8 sequence a lead byte starts, or 0 for a byte that cannot lead one.
qsizetype sequenceLength(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

void appendEscapedByte(QString& out, unsigned char byte)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    out += u"\\x";
    out += QLatin1Char(digits[byte >> 4]);
    out += QLatin1Char(digits[byte & 0x0F]);
}

} // namespace

bool isValid(QByteArrayView bytes)
{
    return bytes.isValidUtf8();
}

QString escaped(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            if (byte < 0x20 || byte == 0x7F)
                appendEscapedByte(out, byte);
            else
                out += QLatin1Char(static_cast<char>(byte));
            ++i;
            continue;
        }
        const qsizetype length = sequenceLength(byte);
        const QByteArrayView sequence = bytes.sliced(i, std::min(length, bytes.size() - i));
        if (length > 0 && sequence.size() == length && sequence.isValidUtf8()) {
            out += QString::fromUtf8(sequence);
            i += length;
        } else {
            appendEscapedByte(out, byte);
            ++i;
        }
    }
    return out;
}

} // namespace FileNameText
