#pragma once

#include "ui/ExactTextMirror.h"

#include <QPlainTextEdit>

// A plain-text editor over a text it does not own, that reports each edit as a replacement in
// that text instead of handing back the whole document: line breaks, line separators and no-break
// spaces that the user did not touch stay exactly as they were (see ExactTextMirror). Pasted and
// dropped text is taken with its own line breaks.
class ExactTextEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    // `source` gives the current text; the owner applies every edit() to it at once.
    explicit ExactTextEdit(ExactTextMirror::Source source, QWidget* parent = nullptr);

    // Shows the source's text, replacing the editor's content (and its cursor and undo history).
    void showSourceText();

Q_SIGNALS:
    // The user replaced the `removed` characters at `from` of the text by `inserted`.
    void edited(qsizetype from, qsizetype removed, const QString& inserted);

protected:
    void insertFromMimeData(const QMimeData* source) override;

private:
    ExactTextMirror* m_mirror = nullptr;
};
