#pragma once

#include <QProcess>
#include <QRect>

#include <cstdint>
#include <optional>

// A real XEmbed tray host (trayer) along the top right of the test's X server, for as long as
// this lives. Start it before the application, so that its icon is embedded at once.
class TrayHost {
public:
    TrayHost();
    ~TrayHost();
    bool running();

private:
    QProcess m_process;
};

// A window of the application as xwininfo lists it: its id and where it is on the screen.
struct ListedWindow {
    uint32_t id = 0;
    QRect frame;
};

namespace Tray {
// The application's icon inside the tray host: a window named "Lumaforge" in trayer's panel.
std::optional<ListedWindow> iconWindow();
// The tray popover: a top-level window named "Lumaforge" as wide as the popover.
std::optional<ListedWindow> popoverWindow();
// Clicks the tray icon until the popover shows; its window.
std::optional<ListedWindow> openPopover();
}
