#pragma once

#include "KeyboardShortcuts/Key.h"
#include "KeyboardShortcuts/KeyPositions.h"
#include "KeyboardShortcuts/KeyboardLayout.h"

#include <QHash>

// A keyboard layout whose keys give what the test says; other keys give nothing.
class FakeKeyboardLayout : public KeyboardShortcuts::KeyboardLayout {
public:
    QHash<quint32, QString> texts;

    // Sets the text of the key with a virtual key code.
    void setText(qint64 virtualKeyCode, const QString& text)
    {
        texts.insert(*KeyboardShortcuts::KeyPositions::xKeyCode(virtualKeyCode), text);
    }

    std::optional<QString> unmodifiedText(quint32 xKeyCode) const override
    {
        return texts.value(xKeyCode);
    }

    // A US layout for letters: the keys named by one letter give that letter.
    static std::unique_ptr<FakeKeyboardLayout> us()
    {
        auto layout = std::make_unique<FakeKeyboardLayout>();
        for (const KeyboardShortcuts::NamedKey& named : KeyboardShortcuts::namedKeys()) {
            if (named.name.size() == 1)
                layout->setText(named.key.rawValue, QString(named.name));
        }
        return layout;
    }
};
