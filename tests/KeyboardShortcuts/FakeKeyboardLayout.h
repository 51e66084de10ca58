#pragma once

#include "KeyboardShortcuts/KeyPositions.h"
#include "KeyboardShortcuts/KeyboardLayout.h"

#include <QHash>

// A keyboard layout whose keys give what the test says; other keys give nothing. Counts lookups
// so a test can tell whether the layout was asked at all.
class FakeKeyboardLayout : public KeyboardShortcuts::KeyboardLayout {
public:
    QHash<quint32, QString> texts;
    mutable int lookups = 0;

    // Sets the text of the key with a virtual key code.
    void setText(qint64 virtualKeyCode, const QString& text)
    {
        texts.insert(*KeyboardShortcuts::KeyPositions::xKeyCode(virtualKeyCode), text);
    }

    std::optional<QString> unmodifiedText(quint32 xKeyCode) const override
    {
        ++lookups;
        return texts.value(xKeyCode);
    }

    // A US layout for letters and digits.
    static std::unique_ptr<FakeKeyboardLayout> us();
};

inline std::unique_ptr<FakeKeyboardLayout> FakeKeyboardLayout::us()
{
    auto layout = std::make_unique<FakeKeyboardLayout>();
    const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    const qint64 letterCodes[] = {0,  11, 8,  2,  14, 3, 5,  4,  34, 38, 40, 37, 46,
                                  45, 31, 35, 12, 15, 1, 17, 32, 9,  13, 7,  16, 6};
    for (int i = 0; i < 26; ++i)
        layout->setText(letterCodes[i], letters.mid(i, 1));
    const qint64 digitCodes[] = {29, 18, 19, 20, 21, 23, 22, 26, 28, 25};
    for (int i = 0; i < 10; ++i)
        layout->setText(digitCodes[i], QString::number(i));
    layout->setText(44, QStringLiteral("/"));
    layout->setText(27, QStringLiteral("-"));
    return layout;
}
