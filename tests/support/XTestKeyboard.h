#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

struct xcb_connection_t;

// A second client of the test's X server: presses keys through XTEST, and grabs keys the way
// another application would.
class XTestKeyboard {
public:
    XTestKeyboard();
    ~XTestKeyboard();
    bool isConnected() const;

    uint8_t keycode(uint32_t keysym) const;
    void press(uint32_t keysym);
    void release(uint32_t keysym);
    // Presses the modifiers and the key, then releases them in reverse order.
    void tap(std::initializer_list<uint32_t> keysyms);
    // Tries to grab the combination on the root window; returns the X error code, 0 on success.
    int grab(uint32_t keysym, uint16_t modifiers);
    void ungrab(uint32_t keysym, uint16_t modifiers);

    struct KeyEvent {
        bool press;
        uint8_t keycode;
        uint16_t state;
    };
    // Key events delivered to this client (through its grabs) within `timeoutMs`.
    std::vector<KeyEvent> readKeyEvents(int timeoutMs);

    static constexpr uint32_t controlL = 0xffe3;
    static constexpr uint32_t shiftL = 0xffe1;
    static constexpr uint32_t altL = 0xffe9;
    static constexpr uint32_t numLock = 0xff7f;

private:
    void fake(uint8_t type, uint32_t keysym);
    xcb_connection_t* m_connection = nullptr;
    uint32_t m_root = 0;
};
