#include "platform/XTestKeystrokePoster.h"

#include "core/Log.h"
#include "platform/Keys.h"
#include "platform/X11Connection.h"

#include <QCoreApplication>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <vector>

namespace {
constexpr uint32_t kShiftL = 0xffe1;
constexpr uint32_t kControlL = 0xffe3;
constexpr uint32_t kAltL = 0xffe9;
constexpr uint32_t kSuperL = 0xffeb;
}

std::unique_ptr<XTestKeystrokePoster> XTestKeystrokePoster::create()
{
    xcb_connection_t* connection = X11Connection::qt();
    if (!connection)
        return nullptr;
    return std::make_unique<XTestKeystrokePoster>(connection);
}

XTestKeystrokePoster::XTestKeystrokePoster(xcb_connection_t* connection)
    : m_connection(connection)
{
}

bool XTestKeystrokePoster::isAvailable() const
{
    if (!m_connection || xcb_connection_has_error(m_connection))
        return false;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(m_connection, &xcb_test_id);
    return extension && extension->present;
}

QString XTestKeystrokePoster::explainUnavailable() const
{
    return QCoreApplication::translate("SystemScreenshotTool",
        "Lumaforge cannot start the desktop's screenshot tool: the X server does not offer the XTEST extension "
        "and no screenshot portal (xdg-desktop-portal) is running.");
}

uint8_t XTestKeystrokePoster::keycodeFor(uint32_t keysym) const
{
    const auto codes = X11Connection::keycodesFor(m_connection, keysym);
    return codes.empty() ? 0 : codes.front();
}

void XTestKeystrokePoster::fake(uint8_t type, uint8_t keycode)
{
    xcb_test_fake_input(m_connection, type, keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
}

void XTestKeystrokePoster::releaseHeldModifiers()
{
    xcb_get_modifier_mapping_reply_t* mapping
        = xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr);
    xcb_query_keymap_reply_t* keymap = xcb_query_keymap_reply(m_connection, xcb_query_keymap(m_connection), nullptr);
    if (mapping && keymap) {
        const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping);
        const int count = xcb_get_modifier_mapping_keycodes_length(mapping);
        for (int i = 0; i < count; ++i) {
            const xcb_keycode_t code = codes[i];
            if (code != 0 && (keymap->keys[code / 8] & (1 << (code % 8))))
                fake(XCB_KEY_RELEASE, code);
        }
    }
    std::free(mapping);
    std::free(keymap);
}

void XTestKeystrokePoster::post(const KeyChord& chord)
{
    const uint8_t key = keycodeFor(chord.keysym);
    if (key == 0) {
        logLine(QStringLiteral("the X server has no key for keysym 0x%1").arg(chord.keysym, 0, 16));
        return;
    }
    std::vector<uint8_t> modifiers;
    const auto addModifier = [&](quint32 bit, uint32_t keysym) {
        if (!(chord.carbonModifiers & bit))
            return;
        if (const uint8_t code = keycodeFor(keysym))
            modifiers.push_back(code);
    };
    addModifier(CarbonModifier::command, kControlL);
    addModifier(CarbonModifier::shift, kShiftL);
    addModifier(CarbonModifier::option, kAltL);
    addModifier(CarbonModifier::control, kSuperL);

    releaseHeldModifiers();
    for (uint8_t code : modifiers)
        fake(XCB_KEY_PRESS, code);
    fake(XCB_KEY_PRESS, key);
    fake(XCB_KEY_RELEASE, key);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
        fake(XCB_KEY_RELEASE, *it);
    xcb_flush(m_connection);
}

bool XTestKeystrokePoster::someoneListensFor(const KeyChord& chord) const
{
    const uint8_t key = keycodeFor(chord.keysym);
    if (key == 0)
        return false;
    // A desktop's shortcut handler takes its keys with a passive grab on the root window, and the
    // server refuses the same grab to any other client. Asked on a connection of our own, so our
    // own hot keys count as another client's and their grabs are never touched.
    xcb_connection_t* probe = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(probe)) {
        xcb_disconnect(probe);
        return true;
    }
    const xcb_window_t root = X11Connection::rootWindow(probe);
    const uint16_t modifiers = xModifierMask(chord.carbonModifiers);
    xcb_generic_error_t* error = xcb_request_check(probe,
        xcb_grab_key_checked(probe, 0, root, modifiers, key, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    // BadAccess: another client holds it. Any other refusal leaves it unknown, which counts as held.
    const bool taken = error != nullptr;
    if (!error)
        xcb_ungrab_key(probe, key, root, modifiers);
    std::free(error);
    xcb_disconnect(probe);
    return taken;
}
