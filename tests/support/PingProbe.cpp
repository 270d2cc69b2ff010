#include "support/PingProbe.h"

#include <QElapsedTimer>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

PingProbe::PingProbe(uint32_t window)
    : m_window(window)
{
    m_thread = std::thread([this] { run(); });
}

PingProbe::~PingProbe()
{
    stop();
}

void PingProbe::stop()
{
    m_running = false;
    if (m_thread.joinable())
        m_thread.join();
}

void PingProbe::run()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        m_longestMs = 1 << 20;
        return;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    // Qt answers to the root window, to clients that take its structure events.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    const auto intern = [c](const char* name) {
        auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    };
    const xcb_atom_t protocols = intern("WM_PROTOCOLS");
    const xcb_atom_t ping = intern("_NET_WM_PING");
    uint32_t serial = 1;
    while (m_running) {
        xcb_client_message_event_t event {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = m_window;
        event.type = protocols;
        event.data.data32[0] = ping;
        event.data.data32[1] = serial;
        event.data.data32[2] = m_window;
        xcb_send_event(c, 0, m_window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
        xcb_flush(c);
        QElapsedTimer waited;
        waited.start();
        bool answered = false;
        while (!answered && waited.elapsed() < 5000) {
            xcb_generic_event_t* e = xcb_poll_for_event(c);
            if (!e) {
                QThread::usleep(500);
                continue;
            }
            if ((e->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto* reply = reinterpret_cast<xcb_client_message_event_t*>(e);
                answered = reply->window == root && reply->data.data32[0] == ping && reply->data.data32[1] == serial;
            }
            std::free(e);
        }
        m_longestMs = std::max(m_longestMs.load(), int(waited.elapsed()));
        m_answered += answered ? 1 : 0;
        ++serial;
        QThread::msleep(50);
    }
    xcb_disconnect(c);
}
