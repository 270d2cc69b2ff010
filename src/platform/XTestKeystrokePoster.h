#pragma once

#include "platform/KeystrokeScreenshotTool.h"

#include <cstdint>

struct xcb_connection_t;

// Synthetic key presses through the X server's XTEST extension. Modifiers the user still holds
// (those of the hot key that led here) are released first, so the desktop sees exactly the
// chord's modifiers.
class XTestKeystrokePoster final : public KeystrokePoster {
public:
    // On Qt's own X connection; none when Qt does not run on xcb.
    static std::unique_ptr<XTestKeystrokePoster> create();
    explicit XTestKeystrokePoster(xcb_connection_t* connection);

    bool isAvailable() const override;
    QString explainUnavailable() const override;
    void post(const KeyChord& chord) override;
    bool someoneListensFor(const KeyChord& chord) const override;

private:
    uint8_t keycodeFor(uint32_t keysym) const;
    void fake(uint8_t type, uint8_t keycode);
    void releaseHeldModifiers();

    xcb_connection_t* m_connection;
};
