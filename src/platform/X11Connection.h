#pragma once

#include <cstdint>
#include <vector>

struct xcb_connection_t;

// Small shared pieces for the X11 providers.
namespace X11Connection {
// Qt's own connection to the X server; null when Qt does not run on xcb.
xcb_connection_t* qt();
// The first screen's root window.
uint32_t rootWindow(xcb_connection_t* connection);
// Every keycode that types `keysym` in the server's current keymap.
std::vector<uint8_t> keycodesFor(xcb_connection_t* connection, uint32_t keysym);
}
