#pragma once

#include <QAbstractButton>
#include <QKeySequence>

// The text of a button that draws its own label: drawn as it stands, so an "&" is a character,
// not a mnemonic marker. The accessible name is the same text (Qt would drop the "&"), and no
// mnemonic shortcut is taken from it (Qt would bind Alt and the character after the "&").
inline void setDrawnButtonText(QAbstractButton* button, const QString& text)
{
    button->setText(text);
    button->setShortcut(QKeySequence());
    button->setAccessibleName(text);
}
