#include "platform/X11HotkeyBackend.h"

#include "core/Log.h"
#include "platform/Keys.h"
#include "platform/X11Connection.h"

#include <QCoreApplication>
#include <QTimer>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr uint32_t kNumLockKeysym = 0xff7f;
constexpr uint32_t kAltLKeysym = 0xffe9;
constexpr uint32_t kSuperLKeysym = 0xffeb;

}

std::unique_ptr<X11HotkeyBackend> X11HotkeyBackend::create()
{
    xcb_connection_t* connection = X11Connection::qt();
    if (!connection || !X11Connection::rootWindow(connection))
        return nullptr;
    return std::make_unique<X11HotkeyBackend>(connection, X11Connection::rootWindow(connection));
}

X11HotkeyBackend::X11HotkeyBackend(xcb_connection_t* connection, uint32_t root, QObject* parent)
    : HotkeyBackend(parent)
    , m_connection(connection)
    , m_root(root)
{
    readModifierMap();
    if (qApp)
        qApp->installNativeEventFilter(this);
}

X11HotkeyBackend::~X11HotkeyBackend()
{
    if (qApp)
        qApp->removeNativeEventFilter(this);
    for (const auto& [id, grab] : m_grabs)
        ungrab(grab);
    xcb_flush(m_connection);
}

// Which of Mod1..Mod5 carry Num Lock, Alt and Super on this server.
void X11HotkeyBackend::readModifierMap()
{
    const auto numLock = X11Connection::keycodesFor(m_connection, kNumLockKeysym);
    const auto alt = X11Connection::keycodesFor(m_connection, kAltLKeysym);
    const auto super = X11Connection::keycodesFor(m_connection, kSuperLKeysym);

    xcb_get_modifier_mapping_reply_t* reply
        = xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr);
    if (!reply)
        return;
    const xcb_keycode_t* map = xcb_get_modifier_mapping_keycodes(reply);
    const int perModifier = reply->keycodes_per_modifier;
    const auto contains = [](const std::vector<xcb_keycode_t>& codes, xcb_keycode_t code) {
        return code != 0 && std::find(codes.begin(), codes.end(), code) != codes.end();
    };
    // Indices 3..7 are Mod1..Mod5 (after Shift, Lock, Control).
    for (int modifier = 3; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = map[modifier * perModifier + i];
            const uint16_t mask = uint16_t(1u << modifier);
            if (contains(numLock, code))
                m_numLock = mask;
            if (contains(alt, code))
                m_alt = mask;
            if (contains(super, code))
                m_super = mask;
        }
    }
    std::free(reply);
}

std::vector<uint16_t> X11HotkeyBackend::lockCombinations() const
{
    std::vector<uint16_t> combinations { 0, XCB_MOD_MASK_LOCK };
    if (m_numLock) {
        combinations.push_back(m_numLock);
        combinations.push_back(uint16_t(m_numLock | XCB_MOD_MASK_LOCK));
    }
    return combinations;
}

int X11HotkeyBackend::registerHotKey(quint32 id, const HotkeyBinding& binding)
{
    const auto key = keyForCode(binding.keyCode);
    if (!key)
        return badValue;
    Grab grab;
    grab.keycode = key->xKeycode;
    grab.modifiers = xModifierMask(binding.carbonModifiers, XModifierMasks { m_alt, m_super });

    int status = 0;
    std::vector<xcb_void_cookie_t> cookies;
    for (uint16_t locks : lockCombinations()) {
        cookies.push_back(xcb_grab_key_checked(m_connection, 0, m_root, uint16_t(grab.modifiers | locks), grab.keycode,
            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    for (xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
            if (status == 0)
                status = error->error_code;
            std::free(error);
        }
    }
    if (status != 0) {
        // Give back the lock-key variants that did succeed: another client holds the combination.
        ungrab(grab);
        xcb_flush(m_connection);
        return status;
    }
    m_grabs[id] = grab;
    return 0;
}

void X11HotkeyBackend::ungrab(const Grab& grab)
{
    for (uint16_t locks : lockCombinations())
        xcb_ungrab_key(m_connection, grab.keycode, m_root, uint16_t(grab.modifiers | locks));
}

void X11HotkeyBackend::unregisterHotKey(quint32 id)
{
    const auto it = m_grabs.find(id);
    if (it == m_grabs.end())
        return;
    ungrab(it->second);
    xcb_flush(m_connection);
    m_grabs.erase(it);
}

bool X11HotkeyBackend::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    return handleEvent(message);
}

bool X11HotkeyBackend::handleEvent(const void* xcbEvent)
{
    const auto* event = static_cast<const xcb_generic_event_t*>(xcbEvent);
    const uint8_t type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    // Grabbed keys are reported to the root window; keys typed into our own windows are Qt's.
    if (key->event != m_root)
        return false;
    const uint16_t relevant = uint16_t(XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | m_alt | m_super);
    bool handled = false;
    for (auto& [id, grab] : m_grabs) {
        if (grab.keycode != key->detail)
            continue;
        if (type == XCB_KEY_RELEASE) {
            if (!grab.down)
                continue;
            handled = true;
            grab.pendingReleaseTime = key->time;
            QTimer::singleShot(releaseSettleMs, this, [this, id = id, time = key->time] {
                const auto it = m_grabs.find(id);
                if (it == m_grabs.end() || !it->second.down || it->second.pendingReleaseTime != time)
                    return;
                it->second.down = false;
                it->second.pendingReleaseTime = 0;
                Q_EMIT pressed(id);
            });
            continue;
        }
        // Auto-repeat arrives as presses without releases, or as a release and a press carrying
        // the same time stamp; either way the key is still held.
        if (grab.down) {
            handled = true;
            if (grab.pendingReleaseTime == key->time)
                grab.pendingReleaseTime = 0;
            continue;
        }
        if ((key->state & relevant) != grab.modifiers)
            continue;
        handled = true;
        grab.down = true;
        grab.pendingReleaseTime = 0;
    }
    return handled;
}
