#pragma once

#include "KeyboardShortcuts/Shortcut.h"

#include <QObject>

namespace KeyboardShortcuts {

// The system service that turns a key combination into a global hot key: it reserves the
// combination for this program, whichever window has the keyboard, and reports its presses and
// releases. Every hot key carries the id its owner chose.
class HotKeyBackend : public QObject {
    Q_OBJECT

public:
    // Status values of registerHotKey. A backend may also answer with its system's own error
    // number (the X11 backend gives X error codes, for example 10 for BadAccess).
    static constexpr int noError = 0;
    // The combination cannot be expressed on this system (a key without a position here, the
    // Function modifier, a value out of range).
    static constexpr int invalidParameter = -50;
    // This program already holds the combination under another id.
    static constexpr int hotKeyExists = -9878;

    using QObject::QObject;

    // Reserves the combination under `id`; noError on success.
    virtual int registerHotKey(quint32 id, const Shortcut& shortcut) = 0;
    // Releases the hot key of `id`; unknown ids are ignored.
    virtual void unregisterHotKey(quint32 id) = 0;

    // Whether another program or the desktop holds the combination, so that registering it here
    // would fail or take it away from them. Combinations this backend holds are not taken.
    virtual bool isTakenBySystem(const Shortcut& shortcut) = 0;

    // Whether a combination that isTakenBySystem reports is certain to be refused, so that
    // offering to use it anyway would only store a shortcut that does nothing. On X11 a taken
    // grab is refused with BadAccess whatever this program does.
    virtual bool refusesTakenShortcuts() const { return false; }

    // One line for the settings on how this system runs the hot keys (for example the keys the
    // desktop chose); empty when there is nothing to say. statusChanged announces a new one.
    virtual QString statusText() const { return {}; }
    // Whether registered hot keys can fire here at all: false where the system offers none or
    // refused them (the status text says why).
    virtual bool firesHotKeys() const { return true; }
    // The token the desktop sent with the hot-key event being reported, with which a window of
    // this program may take the focus (Wayland's xdg-activation); empty when none came. Valid
    // only while hotKeyPressed and hotKeyReleased are delivered: a token serves once.
    virtual QString activationToken() const { return {}; }
    // Whether the desktop sent such a token with the latest hot-key event (false before the
    // first); statusChanged announces a change.
    virtual bool sendsActivationTokens() const { return false; }
    // What the hot keys do, for a desktop that lists them to the user.
    virtual void setDescription(const QString& description) { Q_UNUSED(description) }

Q_SIGNALS:
    // The key of a registered hot key went down. A held key reports one press.
    void hotKeyPressed(quint32 id);
    // The key of a registered hot key came up, whatever modifiers are still held.
    void hotKeyReleased(quint32 id);
    // The system gave up or refused the hot key of `id` after registerHotKey had answered
    // noError (a backend whose system answers later). `status` as for registerHotKey.
    void hotKeyRefused(quint32 id, int status);
    void statusChanged();
};

} // namespace KeyboardShortcuts
