#include "platform/SystemClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {

// The clipboard exists only in a GUI application; command-line tools have none.
QClipboard* desktopClipboard()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return nullptr;
    return QGuiApplication::clipboard();
}

} // namespace

Clipboard& Clipboard::system()
{
    static SystemClipboard clipboard;
    return clipboard;
}

void SystemClipboard::clear()
{
    if (QClipboard* clipboard = desktopClipboard())
        clipboard->clear(QClipboard::Clipboard);
}

void SystemClipboard::setText(const QString& text)
{
    if (QClipboard* clipboard = desktopClipboard())
        clipboard->setText(text, QClipboard::Clipboard);
}
