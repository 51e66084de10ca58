#include "ui/TextLineIndex.h"

#include <algorithm>

namespace {

void appendLineStarts(QStringView text, qsizetype offset, std::vector<qsizetype>& out)
{
    for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', at + 1))
        out.push_back(offset + at + 1);
}

} // namespace

TextLineIndex::TextLineIndex()
    : m_starts{0}
{}

void TextLineIndex::rebuild(QStringView text)
{
    m_starts.clear();
    m_starts.shrink_to_fit();
    // Source text averages well over 16 characters a line; one growth at most beyond that.
    m_starts.reserve(size_t(text.size() / 16 + 1));
    m_starts.push_back(0);
    appendLineStarts(text, 0, m_starts);
}

qsizetype TextLineIndex::lineEnd(qsizetype line, QStringView text) const
{
    if (line + 1 >= lineCount())
        return text.size();
    qsizetype end = m_starts[size_t(line + 1)] - 1;
    if (end > m_starts[size_t(line)] && text[end - 1] == u'\r')
        --end;
    return end;
}

qsizetype TextLineIndex::lineOf(qsizetype position) const
{
    const auto after = std::upper_bound(m_starts.cbegin(), m_starts.cend(), position);
    return qsizetype(after - m_starts.cbegin()) - 1;
}

void TextLineIndex::replace(qsizetype from, qsizetype removed, QStringView inserted)
{
    // Starts right after a removed line feed go; starts behind the change move.
    const auto first = std::upper_bound(m_starts.begin(), m_starts.end(), from);
    const auto last = std::upper_bound(first, m_starts.end(), from + removed);
    const qsizetype shift = inserted.size() - removed;
    for (auto behind = last; behind != m_starts.end(); ++behind)
        *behind += shift;
    std::vector<qsizetype> added;
    appendLineStarts(inserted, from, added);
    const auto at = m_starts.erase(first, last);
    m_starts.insert(at, added.cbegin(), added.cend());
}
