#include "ui/ExactTextEdit.h"

#include <QMimeData>

ExactTextEdit::ExactTextEdit(ExactTextMirror::Source source, QWidget* parent)
    : QPlainTextEdit(parent)
    , m_mirror(new ExactTextMirror(*document(), std::move(source), this))
{
    connect(m_mirror, &ExactTextMirror::edited, this, &ExactTextEdit::edited);
}

void ExactTextEdit::showSourceText()
{
    m_mirror->show();
}

void ExactTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (source && source->hasText())
        m_mirror->expectInsertion(source->text());
    QPlainTextEdit::insertFromMimeData(source);
}
