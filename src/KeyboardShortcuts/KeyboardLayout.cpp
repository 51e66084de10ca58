#include "KeyboardShortcuts/KeyboardLayout.h"

#include "KeyboardShortcuts/KeyPositions.h"
#include "KeyboardShortcuts/SpecialKey.h"

#include <QTextBoundaryFinder>

namespace KeyboardShortcuts {

namespace {

std::unique_ptr<KeyboardLayout>& currentLayout()
{
    static std::unique_ptr<KeyboardLayout> layout;
    return layout;
}

int graphemeCount(const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

} // namespace

KeyboardLayout* KeyboardLayout::current()
{
    return currentLayout().get();
}

std::unique_ptr<KeyboardLayout> KeyboardLayout::setCurrent(std::unique_ptr<KeyboardLayout> layout)
{
    std::unique_ptr<KeyboardLayout> previous = std::move(currentLayout());
    currentLayout() = std::move(layout);
    return previous;
}

std::optional<QString> layoutCharacter(qint64 keyCode)
{
    const KeyboardLayout* layout = KeyboardLayout::current();
    if (!layout)
        return std::nullopt;
    if (specialKeyByKeyCode(keyCode))
        return std::nullopt;
    const std::optional<quint32> xKeyCode = KeyPositions::xKeyCode(keyCode);
    if (!xKeyCode)
        return std::nullopt;
    const std::optional<QString> text = layout->unmodifiedText(*xKeyCode);
    if (!text || graphemeCount(*text) != 1)
        return std::nullopt;
    return text;
}

} // namespace KeyboardShortcuts
