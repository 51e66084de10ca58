#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QWindow;

// How a copy asked for from the background (the global shortcut) reaches the clipboard. On X11
// any client may set the clipboard. A Wayland compositor takes a clipboard write only from the
// focused window; there, in order of preference, the text goes through wl-copy (which writes
// through the compositor's data-control protocol and serves the text after the write), or the
// window takes the focus with the activation token the desktop sent with the shortcut and
// copies once it has it, or the text waits in the window for one click on "Copy".
//
// One object carries out one copy at a time: start() decides the path and answers with copyNow
// (at once, or once the activation gave the window the focus) or clickNeeded.
class BackgroundCopy : public QObject {
    Q_OBJECT

public:
    enum class Path {
        // The ordinary clipboard write works (X11, or a window of this program has the focus).
        direct,
        // The ordinary write, which goes through wl-copy while no window has the focus.
        wlCopy,
        // The window asks for the focus with the desktop's token and copies once it has it.
        activation,
        // Nothing reaches the clipboard without the user: one click on "Copy".
        clickToCopy,
    };
    Q_ENUM(Path)

    // What decides the path of one copy.
    struct Conditions {
        bool waylandSession = false;
        // A window of this program has the keyboard focus.
        bool windowFocused = false;
        bool wlCopyFound = false;
        // The desktop sent an activation token with the shortcut.
        bool activationToken = false;
    };

    // How long the activation may take before the copy falls back to the click.
    static constexpr int defaultFocusTimeout = 1500;

    static Path choose(const Conditions& conditions);
    // The conditions of the running desktop now, with or without a token.
    static Conditions currentConditions(bool activationToken);

    // Whether the desktop session is a Wayland one, whatever Qt platform plugin runs (an X11
    // client under XWayland is still held to the compositor's clipboard rules).
    static bool isWaylandSession();
    // The wl-copy program; empty when it is not installed.
    static QString wlCopyProgram();

    // The path a copy from the background takes on the running desktop, whose shortcut comes
    // with an activation token or not.
    static Path currentPath(bool desktopSendsTokens);
    // One line for the settings on how copies from the background work; empty for direct.
    static QString description(Path path);

    explicit BackgroundCopy(QObject* parent = nullptr);

    // Starts a copy for `window` (the window that shows the text), dropping one still waiting
    // for the focus. With the activation path the window asks for the focus with `token`; the
    // focus of any window of this program within the time limit gives copyNow, none gives
    // clickNeeded. The other paths answer before this returns.
    void start(QWindow* window, const QString& activationToken);
    // The path of the latest copy; clickToCopy also when its activation timed out.
    Path path() const { return m_path; }
    bool isWaitingForFocus() const { return m_focusTimer.isActive(); }
    void setFocusTimeout(int milliseconds) { m_focusTimer.setInterval(milliseconds); }

Q_SIGNALS:
    // A clipboard write made now reaches the clipboard.
    void copyNow();
    // The text must wait for the user's click on "Copy".
    void clickNeeded();

private:
    void focusChanged(QWindow* focus);

    Path m_path = Path::direct;
    QTimer m_focusTimer;
};
