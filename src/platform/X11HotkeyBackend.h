#pragma once

#include "platform/HotkeyBackend.h"

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

struct xcb_connection_t;

// Hot keys on an X server: a passive grab of the key on the root window for the binding's
// modifiers combined with every state of Caps Lock and Num Lock (so a lit lock key does not
// disable the hot key); presses are picked out of Qt's event stream by a native event filter.
// A held key's auto-repeat fires nothing: one action per press.
//
// The press activates the grab: until the key is let go the server sends every key to us,
// including the keys our own action posts for the desktop. So the action fires on the release
// that ends the grab, held back briefly to tell it from the release half of a classic auto-repeat
// pair (a release and a press with one time stamp).
class X11HotkeyBackend final : public HotkeyBackend, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // Uses Qt's own connection to the X server; none when Qt does not run on xcb.
    static std::unique_ptr<X11HotkeyBackend> create();

    X11HotkeyBackend(xcb_connection_t* connection, uint32_t root, QObject* parent = nullptr);
    ~X11HotkeyBackend() override;

    int registerHotKey(quint32 id, const HotkeyBinding& binding) override;
    void unregisterHotKey(quint32 id) override;
    bool grabsKeys() const override { return true; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    // Handles one event from the X server (an xcb_generic_event_t); true when it belonged to a
    // hot key.
    bool handleEvent(const void* xcbEvent);

    // X error code of a key that the table does not know.
    static constexpr int badValue = unknownKeyStatus;
    // How long a release waits for the press of an auto-repeat pair.
    static constexpr int releaseSettleMs = 30;

private:
    struct Grab {
        uint8_t keycode = 0;
        uint16_t modifiers = 0;
        bool down = false; // pressed and not yet let go (or repeating)
        uint32_t pendingReleaseTime = 0; // a release waiting to fire; 0 when none
    };

    void readModifierMap();
    void ungrab(const Grab& grab);
    std::vector<uint16_t> lockCombinations() const;

    xcb_connection_t* m_connection;
    uint32_t m_root;
    uint16_t m_numLock = 0;
    uint16_t m_alt = 0x0008;
    uint16_t m_super = 0x0040;
    std::map<quint32, Grab> m_grabs;
};
