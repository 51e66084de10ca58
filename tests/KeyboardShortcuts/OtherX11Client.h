#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <xcb/xcb.h>

#include <cstdlib>

// A second X client, standing for another program that holds key grabs.
class OtherX11Client {
public:
    explicit OtherX11Client(const QByteArray& display)
        : m_connection(xcb_connect(display.constData(), nullptr))
    {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    ~OtherX11Client() { xcb_disconnect(m_connection); }

    // The X error code of the grab, 0 when it succeeded.
    int grab(xcb_keycode_t keyCode, quint16 modifiers)
    {
        xcb_generic_error_t* error = xcb_request_check(
            m_connection, xcb_grab_key_checked(m_connection, 0, m_root, modifiers, keyCode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        const int code = error ? error->error_code : 0;
        std::free(error);
        return code;
    }

    // Grabs the combination plain and with Caps Lock, Num Lock (Mod2) and both, as desktops do.
    void grabInEveryLockState(xcb_keycode_t keyCode, quint16 modifiers)
    {
        for (const int lock : {0, int(XCB_MOD_MASK_LOCK), int(XCB_MOD_MASK_2),
                               int(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2)})
            grab(keyCode, quint16(modifiers | lock));
    }

    void ungrab(xcb_keycode_t keyCode, quint16 modifiers)
    {
        xcb_ungrab_key(m_connection, keyCode, m_root, modifiers);
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root;
};

