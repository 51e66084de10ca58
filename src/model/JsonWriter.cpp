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
    } else if (number == 0) {
        // Negative zero would read back as plain zero, so writing it as "-0" would make the
        // same value give different bytes on the next save.
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
    const auto escape = [this](char16_t unit) {
        m_out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            m_out += hex[(unit >> shift) & 0xF];
    };
    const auto appendUtf8 = [this](char32_t point) {
        if (point < 0x800) {
            m_out += char(0xC0 | (point >> 6));
        } else {
            if (point < 0x10000) {
                m_out += char(0xE0 | (point >> 12));
            } else {
                m_out += char(0xF0 | (point >> 18));
                m_out += char(0x80 | ((point >> 12) & 0x3F));
            }
            m_out += char(0x80 | ((point >> 6) & 0x3F));
        }
        m_out += char(0x80 | (point & 0x3F));
    };
    m_out.reserve(m_out.size() + text.size() + 2);
    m_out += '"';
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text.at(i).unicode();
        if (unit >= 0x80) {
            if (QChar::isHighSurrogate(unit) && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
                appendUtf8(QChar::surrogateToUcs4(unit, text.at(i + 1).unicode()));
                ++i;
            } else if (QChar::isSurrogate(unit)) {
                // A surrogate without its partner has no UTF-8 form; the escape keeps it, so
                // the text reads back exactly as it was.
                escape(unit);
            } else {
                appendUtf8(unit);
            }
            continue;
        }
        switch (unit) {
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
            if (unit < 0x20)
                escape(unit);
            else
                m_out += char(unit);
        }
    }
    m_out += '"';
}
