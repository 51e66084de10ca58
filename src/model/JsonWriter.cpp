#include "model/JsonWriter.h"

#include <charconv>
#include <cmath>

void JsonWriter::separate()
{
    if (m_needsComma)
        m_out += ',';
}

void JsonWriter::beginArray()
{
    separate();
    m_out += '[';
    m_needsComma = false;
}

void JsonWriter::endArray()
{
    m_out += ']';
    m_needsComma = true;
}

void JsonWriter::beginObject()
{
    separate();
    m_out += '{';
    m_needsComma = false;
}

void JsonWriter::endObject()
{
    m_out += '}';
    m_needsComma = true;
}

void JsonWriter::key(const QString& name)
{
    separate();
    writeString(name);
    m_out += ':';
    m_needsComma = false;
}

void JsonWriter::value(const QString& text)
{
    separate();
    writeString(text);
    m_needsComma = true;
}

void JsonWriter::value(bool flag)
{
    separate();
    m_out += flag ? "true" : "false";
    m_needsComma = true;
}

void JsonWriter::value(double number)
{
    separate();
    if (!std::isfinite(number)) {
        // JSON has no form for these; 0 keeps the document readable.
        m_out += '0';
    } else {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
        m_out.append(buffer, result.ptr - buffer);
    }
    m_needsComma = true;
}

void JsonWriter::writeString(const QString& text)
{
    static const char hex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    m_out.reserve(m_out.size() + utf8.size() + 2);
    m_out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
        case '"':
            m_out += "\\\"";
            break;
        case '\\':
            m_out += "\\\\";
            break;
        case '/':
            m_out += "\\/";
            break;
        case '\n':
            m_out += "\\n";
            break;
        case '\r':
            m_out += "\\r";
            break;
        case '\t':
            m_out += "\\t";
            break;
        case '\b':
            m_out += "\\b";
            break;
        case '\f':
            m_out += "\\f";
            break;
        default:
            if (byte < 0x20) {
                m_out += "\\u00";
                m_out += hex[byte >> 4];
                m_out += hex[byte & 0xF];
            } else {
                m_out += c;
            }
        }
    }
    m_out += '"';
}
