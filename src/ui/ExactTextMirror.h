#pragma once

#include <QObject>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>
#include <vector>

class QTextDocument;

// Keeps a text document that shows a text and the exact text itself in step.
//
// A plain-text document does not hold every text as it is: a CR LF pair becomes one paragraph
// break, and reading the whole document back (toPlainText) also turns every line separator
// (U+2028) and no-break space into a line feed or a plain space. Reading the document back after
// an edit would therefore change characters the user never touched. Instead the mirror turns each
// change the document reports into a replacement in the exact text: everything outside the
// characters the user changed stays as it was, CR LF pairs, no-break spaces and all.
//
// The exact text belongs to the owner, who reads it out through `source`, shows it through
// show() and applies every replacement that edited() reports before the document changes again.
class ExactTextMirror : public QObject {
    Q_OBJECT

public:
    using Source = std::function<const QString&()>;

    // The document must outlive the mirror.
    ExactTextMirror(QTextDocument& document, Source source, QObject* parent = nullptr);

    // Shows the source's text in the document, replacing what it held; reports no edit.
    void show();

    // Announces the exact text of the next insertion into the document (a paste or a drop), so
    // that it is taken as it is rather than as the document keeps it. Cleared by the next change.
    void expectInsertion(const QString& text);

    // The text as the document keeps it: every line break (CR LF, CR, LF, U+2029 and the frame
    // marks U+FDD0, U+FDD1) becomes one paragraph separator U+2029.
    static QString documentForm(QStringView text);

Q_SIGNALS:
    // The user changed the document: in the exact text, the `removed` characters at `from` are to
    // be replaced by `inserted`. Only the characters that differ are in the range.
    void edited(qsizetype from, qsizetype removed, const QString& inserted);

private:
    void noteChange(int position, int removed, int added);
    // The index in the exact text of a position in the document.
    qsizetype textIndex(qsizetype documentPosition) const;
    void findPairs();

    QTextDocument& m_document;
    Source m_source;
    // Document positions of the CR LF pairs of the exact text, ascending: each is one position in
    // the document and two characters in the text.
    std::vector<qsizetype> m_pairs;
    std::optional<QString> m_expectedInsertion;
    bool m_showing = false;
};
