#include "platform/SystemClipboard.h"

#include "platform/BackgroundCopy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>

namespace {

// The clipboard exists only in a GUI application; command-line tools have none.
QClipboard* desktopClipboard()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return nullptr;
    return QGuiApplication::clipboard();
}

// A Wayland compositor ignores clipboard writes of a window without the keyboard focus; wl-copy
// writes past that. Empty when the ordinary write works.
QString backgroundCopyProgram()
{
    if (BackgroundCopy::choose(BackgroundCopy::currentConditions(false)) !=
        BackgroundCopy::Path::wlCopy)
        return {};
    return BackgroundCopy::wlCopyProgram();
}

} // namespace

Clipboard& Clipboard::system()
{
    static SystemClipboard clipboard;
    return clipboard;
}

void SystemClipboard::clear()
{
    QClipboard* clipboard = desktopClipboard();
    // wl-copy replaces the content with the text that follows the clearing.
    if (clipboard && backgroundCopyProgram().isEmpty())
        clipboard->clear(QClipboard::Clipboard);
}

void SystemClipboard::setText(const QString& text)
{
    QClipboard* clipboard = desktopClipboard();
    if (!clipboard)
        return;
    const QString program = backgroundCopyProgram();
    if (program.isEmpty()) {
        clipboard->setText(text, QClipboard::Clipboard);
        return;
    }
    // wl-copy reads the text, hands it to the compositor and stays in the background to serve
    // it; the process started here ends at once.
    auto* copy = new QProcess(clipboard);
    QObject::connect(copy, &QProcess::finished, copy, &QObject::deleteLater);
    QObject::connect(copy, &QProcess::errorOccurred, copy, &QObject::deleteLater);
    copy->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    copy->start(program, {});
    copy->write(text.toUtf8());
    copy->closeWriteChannel();
}
