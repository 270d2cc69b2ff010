#include "support/XTestKeyboard.h"

#include "platform/X11Connection.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <QElapsedTimer>
#include <QThread>

#include <cstdlib>
#include <vector>

XTestKeyboard::XTestKeyboard()
{
    m_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_connection))
        return;
    m_root = X11Connection::rootWindow(m_connection);
}

XTestKeyboard::~XTestKeyboard()
{
    xcb_disconnect(m_connection);
}

bool XTestKeyboard::isConnected() const
{
    return m_connection && !xcb_connection_has_error(m_connection);
}

uint8_t XTestKeyboard::keycode(uint32_t keysym) const
{
    const auto codes = X11Connection::keycodesFor(m_connection, keysym);
    return codes.empty() ? 0 : codes.front();
}

void XTestKeyboard::fake(uint8_t type, uint32_t keysym)
{
    xcb_test_fake_input(m_connection, type, keycode(keysym), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(m_connection);
    // A round trip, so the server has handled the event before the test goes on.
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

void XTestKeyboard::press(uint32_t keysym)
{
    fake(XCB_KEY_PRESS, keysym);
}

void XTestKeyboard::release(uint32_t keysym)
{
    fake(XCB_KEY_RELEASE, keysym);
}

void XTestKeyboard::tap(std::initializer_list<uint32_t> keysyms)
{
    for (uint32_t k : keysyms)
        press(k);
    std::vector<uint32_t> reversed(keysyms);
    for (auto it = reversed.rbegin(); it != reversed.rend(); ++it)
        release(*it);
}

int XTestKeyboard::grab(uint32_t keysym, uint16_t modifiers)
{
    const auto cookie = xcb_grab_key_checked(
        m_connection, 0, m_root, modifiers, keycode(keysym), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    xcb_generic_error_t* error = xcb_request_check(m_connection, cookie);
    const int code = error ? error->error_code : 0;
    std::free(error);
    return code;
}

void XTestKeyboard::ungrab(uint32_t keysym, uint16_t modifiers)
{
    xcb_ungrab_key(m_connection, keycode(keysym), m_root, modifiers);
    xcb_flush(m_connection);
}

std::vector<XTestKeyboard::KeyEvent> XTestKeyboard::readKeyEvents(int timeoutMs)
{
    std::vector<KeyEvent> events;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        xcb_generic_event_t* event = xcb_poll_for_event(m_connection);
        if (!event) {
            QThread::msleep(5);
            continue;
        }
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
            const auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
            events.push_back({ type == XCB_KEY_PRESS, key->detail, key->state });
        }
        std::free(event);
    }
    return events;
}
