#pragma once

#include <QStringView>

#include <vector>

// Where the lines of a text start, kept in step with edits so that a large text needs one pass
// to index and none per keystroke. A line runs up to and including its line feed; the last line
// runs to the end of the text (empty when the text ends in a line feed). A text always has at
// least one line.
class TextLineIndex {
public:
    TextLineIndex();

    // Indexes `text` anew.
    void rebuild(QStringView text);

    qsizetype lineCount() const { return qsizetype(m_starts.size()); }
    qsizetype lineStart(qsizetype line) const { return m_starts[size_t(line)]; }
    // The end of the line's visible text in `text`: before its line feed, and before a carriage
    // return that precedes the line feed.
    qsizetype lineEnd(qsizetype line, QStringView text) const;
    // The line that holds `position` (a position right after a line feed is on the next line).
    qsizetype lineOf(qsizetype position) const;

    // After the `removed` characters at `from` were replaced by `inserted`.
    void replace(qsizetype from, qsizetype removed, QStringView inserted);

private:
    std::vector<qsizetype> m_starts;
};
