#include "support/ClipboardOwnerStandIn.h"

#include <xcb/xcb.h>

#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
xcb_atom_t intern(xcb_connection_t* c, const char* name)
{
    auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return atom;
}

void notify(xcb_connection_t* c, const xcb_selection_request_event_t& request, xcb_atom_t property)
{
    xcb_selection_notify_event_t event {};
    event.response_type = XCB_SELECTION_NOTIFY;
    event.time = request.time;
    event.requestor = request.requestor;
    event.selection = request.selection;
    event.target = request.target;
    event.property = property;
    xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(c);
}
}

ClipboardOwnerStandIn::ClipboardOwnerStandIn(Behaviour behaviour)
    : m_behaviour(behaviour)
    , m_thread([this] { run(); })
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!m_ready && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

ClipboardOwnerStandIn::~ClipboardOwnerStandIn()
{
    m_stop = true;
    m_thread.join();
}

void ClipboardOwnerStandIn::run()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        m_ready = true;
        xcb_disconnect(c);
        return;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
        screen->root_visual, 0, nullptr);
    const xcb_atom_t clipboard = intern(c, "CLIPBOARD"), targets = intern(c, "TARGETS"), png = intern(c, "image/png"),
                     incr = intern(c, "INCR");
    xcb_set_selection_owner(c, window, clipboard, XCB_CURRENT_TIME);
    auto* owner = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard), nullptr);
    m_owns = owner && owner->owner == window;
    std::free(owner);
    m_ready = true;

    // Pieces of a PNG it never finishes: what a reader gets before the owner goes.
    const std::vector<char> piece(64 * 1024, 'x');
    xcb_window_t receiver = XCB_NONE;
    xcb_atom_t receiving = XCB_NONE;
    bool dead = false;
    while (!m_stop && !dead) {
        pollfd pfd { xcb_get_file_descriptor(c), POLLIN, 0 };
        ::poll(&pfd, 1, 20);
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_SELECTION_CLEAR) {
                m_owns = false;
            } else if (type == XCB_SELECTION_REQUEST) {
                ++m_requests;
                const auto request = *reinterpret_cast<xcb_selection_request_event_t*>(event);
                if (m_behaviour == Behaviour::diesMidTransfer) {
                    const xcb_atom_t property = request.property != XCB_NONE ? request.property : request.target;
                    if (request.target == targets) {
                        const xcb_atom_t offered[] = { targets, png };
                        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32, 2, offered);
                        notify(c, request, property);
                    } else if (request.target == png) {
                        // Announce a large transfer, then send pieces as the reader takes them.
                        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
                        xcb_change_window_attributes(c, request.requestor, XCB_CW_EVENT_MASK, &events);
                        const uint32_t size = 4 * 1024 * 1024;
                        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, incr, 32, 1, &size);
                        receiver = request.requestor;
                        receiving = property;
                        notify(c, request, property);
                    } else {
                        notify(c, request, XCB_NONE);
                    }
                }
            } else if (type == XCB_PROPERTY_NOTIFY) {
                const auto* change = reinterpret_cast<xcb_property_notify_event_t*>(event);
                if (change->window == receiver && change->atom == receiving && change->state == XCB_PROPERTY_DELETE) {
                    if (m_pieces == 3) {
                        dead = true; // half-way: the program ends
                    } else {
                        xcb_change_property(c, XCB_PROP_MODE_REPLACE, receiver, receiving, png, 8, uint32_t(piece.size()),
                            piece.data());
                        xcb_flush(c);
                        ++m_pieces;
                    }
                }
            }
            std::free(event);
            if (dead)
                break;
        }
    }
    m_owns = false;
    xcb_disconnect(c);
}
