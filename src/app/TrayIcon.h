#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QRect>

#include <memory>

class CapturePopoverView;
class QSystemTrayIcon;
class QWidget;

// The application's icon in the desktop's system tray (symbol "camera.viewfinder", tinted for
// the colour scheme). A click opens the popover in a popup window next to the icon: below it
// when the icon sits in a top bar, above it in a bottom panel, always inside the screen's
// available area. The popup closes when it loses the focus, on Escape, on a second click on the
// icon, and before a capture row asks for a capture (once the screen no longer shows it).
//
// Without a tray host the icon shows nothing, says so in one log line, and appears by itself
// when a host starts later; the main window stays reachable from the launcher.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    // The popover moves into the popup window, which the tray icon owns.
    explicit TrayIcon(CapturePopoverView* popover, QObject* parent = nullptr);
    ~TrayIcon() override;

    QSystemTrayIcon& systemTrayIcon() const { return *m_icon; }
    QWidget* popupWindow() const;
    bool isPopoverVisible() const;

    // Opens the popover next to the icon (at the pointer when the tray does not say where the
    // icon is); a second call while it is open changes nothing.
    void showPopover();
    void hidePopover();

    // Where the popover's content goes for an icon at `anchor` (global coordinates): centred
    // under an icon in the upper half of the screen, over one in the lower half, `gap` away
    // from the icon and from the bars, clamped to `available`.
    static QRect popoverGeometry(const QRect& anchor, const QSize& size, const QRect& screen, const QRect& available);
    static constexpr int gap = 6;

private:
    void iconClicked();
    void updateIcon();
    QRect iconAnchor() const;

    class PopupWindow;
    std::unique_ptr<PopupWindow> m_popup;
    QSystemTrayIcon* m_icon;
    QElapsedTimer m_sinceClosedOverIcon;
};
