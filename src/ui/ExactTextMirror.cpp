#include "ui/ExactTextMirror.h"

#include <QAbstractTextDocumentLayout>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

constexpr char16_t paragraphSeparator = 0x2029;

bool isBreak(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == paragraphSeparator || c == 0xFDD0 || c == 0xFDD1;
}

// The document positions of the CR LF pairs of `text`, counted from `start`, appended to `out`.
void appendPairs(QStringView text, qsizetype start, std::vector<qsizetype>& out)
{
    qsizetype pairs = 0;
    for (qsizetype i = text.indexOf(u'\r'); i >= 0 && i + 1 < text.size();
         i = text.indexOf(u'\r', i + 1)) {
        if (text[i + 1] == u'\n') {
            out.push_back(start + i - pairs);
            ++pairs;
            ++i;
        }
    }
}

// The index in `exact` of a position in its document form.
qsizetype indexInText(QStringView exact, qsizetype documentPosition)
{
    qsizetype index = 0;
    for (qsizetype position = 0; position < documentPosition && index < exact.size(); ++position)
        index +=
            exact[index] == u'\r' && index + 1 < exact.size() && exact[index + 1] == u'\n' ? 2 : 1;
    return index;
}

} // namespace

ExactTextMirror::ExactTextMirror(QTextDocument& document, Source source, QObject* parent)
    : QObject(parent)
    , m_document(document)
    , m_source(std::move(source))
{
    // A document reports its changes only once it has a layout; an editor's document has one.
    m_document.documentLayout();
    connect(&m_document, &QTextDocument::contentsChange, this, &ExactTextMirror::noteChange);
}

QString ExactTextMirror::documentForm(QStringView text)
{
    QString form;
    form.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        form += isBreak(c) ? QChar(paragraphSeparator) : QChar(c);
    }
    return form;
}

void ExactTextMirror::show()
{
    m_showing = true;
    m_document.setPlainText(m_source());
    m_showing = false;
    m_expectedInsertion.reset();
    findPairs();
}

void ExactTextMirror::findPairs()
{
    m_pairs.clear();
    appendPairs(m_source(), 0, m_pairs);
}

void ExactTextMirror::expectInsertion(const QString& text)
{
    m_expectedInsertion = text;
}

qsizetype ExactTextMirror::textIndex(qsizetype documentPosition) const
{
    const auto before = std::lower_bound(m_pairs.cbegin(), m_pairs.cend(), documentPosition);
    return documentPosition + (before - m_pairs.cbegin());
}

void ExactTextMirror::noteChange(int position, int removedCount, int addedCount)
{
    if (m_showing)
        return;
    const std::optional<QString> expected = std::exchange(m_expectedInsertion, std::nullopt);
    const QString& text = m_source();
    const qsizetype oldLength = text.size() - qsizetype(m_pairs.size());
    const qsizetype newLength = m_document.characterCount() - 1;

    // The document counts its closing paragraph break in some changes; it is no character of
    // the text. A report that does not add up is taken as a change of everything.
    qsizetype from = position;
    qsizetype removed = std::clamp<qsizetype>(removedCount, 0, oldLength - from);
    qsizetype added = std::clamp<qsizetype>(addedCount, 0, newLength - from);
    if (from < 0 || from > oldLength || oldLength - removed + added != newLength) {
        from = 0;
        removed = oldLength;
        added = newLength;
    }

    QTextCursor cursor(&m_document);
    cursor.setPosition(int(from));
    cursor.setPosition(int(from + added), QTextCursor::KeepAnchor);
    const QString now = cursor.selectedText();

    // What the document held before, from the exact text and the pairs in it.
    const qsizetype textFrom = textIndex(from);
    const qsizetype textTo = textIndex(from + removed);
    QString before;
    before.reserve(removed);
    auto pair = std::lower_bound(m_pairs.cbegin(), m_pairs.cend(), from);
    for (qsizetype i = textFrom, documentPosition = from; i < textTo; ++i, ++documentPosition) {
        const char16_t c = text[i].unicode();
        if (pair != m_pairs.cend() && *pair == documentPosition) {
            ++pair;
            ++i;
        }
        before += isBreak(c) ? QChar(paragraphSeparator) : QChar(c);
    }

    // Only what differs is changed: a change of formats, or a replacement by the same
    // characters, changes nothing in the text.
    qsizetype head = 0;
    const qsizetype shorter = std::min(before.size(), now.size());
    while (head < shorter && before[head] == now[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head && before[before.size() - 1 - tail] == now[now.size() - 1 - tail])
        ++tail;
    const qsizetype changeFrom = from + head;
    const qsizetype changeRemoved = removed - head - tail;
    const qsizetype changeAdded = added - head - tail;
    if (changeRemoved == 0 && changeAdded == 0)
        return;

    QString inserted;
    if (expected && documentForm(*expected) == now) {
        const qsizetype start = indexInText(*expected, head);
        inserted = expected->mid(start, indexInText(*expected, head + changeAdded) - start);
    } else {
        inserted = now.mid(head, changeAdded);
        inserted.replace(QChar(paragraphSeparator), u'\n');
    }

    const qsizetype removeFrom = textIndex(changeFrom);
    const qsizetype removeTo = textIndex(changeFrom + changeRemoved);

    // The pairs after the change: those in the replaced range go, those behind it move, and the
    // inserted text brings its own.
    const auto first = std::lower_bound(m_pairs.begin(), m_pairs.end(), changeFrom);
    const auto last = std::lower_bound(first, m_pairs.end(), changeFrom + changeRemoved);
    for (auto behind = last; behind != m_pairs.end(); ++behind)
        *behind += changeAdded - changeRemoved;
    std::vector<qsizetype> insertedPairs;
    appendPairs(inserted, changeFrom, insertedPairs);
    const auto at = m_pairs.erase(first, last);
    m_pairs.insert(at, insertedPairs.cbegin(), insertedPairs.cend());

    Q_EMIT edited(removeFrom, removeTo - removeFrom, inserted);
}
