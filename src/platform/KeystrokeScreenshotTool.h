#pragma once

#include "platform/SystemScreenshotTool.h"

#include <QString>

#include <memory>
#include <optional>

// One synthetic key press: an X keysym with modifier bits of platform/Keys.h.
struct KeyChord {
    quint32 keysym = 0;
    quint32 carbonModifiers = 0;
    bool operator==(const KeyChord&) const = default;
};

// Posts synthetic key presses to the display server, where the desktop's own key bindings see
// them.
class KeystrokePoster {
public:
    virtual ~KeystrokePoster() = default;
    virtual bool isAvailable() const = 0;
    virtual QString explainUnavailable() const = 0;
    virtual void post(const KeyChord& chord) = 0;
    // Whether some program on the desktop listens for the chord (holds a grab of it); true where
    // that cannot be known.
    virtual bool someoneListensFor(const KeyChord& chord) const
    {
        Q_UNUSED(chord);
        return true;
    }
};

// The desktop's screenshot key bindings. Where picking a window takes two presses, the second
// follows the first after 0.2 s.
struct DesktopScreenshotKeys {
    KeyChord options;
    KeyChord selection;
    KeyChord window;
    std::optional<KeyChord> windowFollowUp;
    KeyChord fullScreen;
    // Whether the desktop's bindings show as core key grabs, so that a missing listener can be
    // told (GNOME's window manager takes its keys through XInput 2, which that test cannot see).
    bool listenersVisible = true;

    // By $XDG_CURRENT_DESKTOP: GNOME, KDE, else the Print / Shift+Print / Alt+Print set that
    // most other desktops bind.
    static DesktopScreenshotKeys forDesktop(const QString& currentDesktop);
    // This session's: what the application presses and what every text that names the desktop's
    // screenshot keys shows, so the settings and the onboarding never disagree.
    static DesktopScreenshotKeys forSession();

    // The keys for `what` as the user reads them: "Shift+Print", "Alt+Print then Space".
    QString text(SystemCapture what) const;
};

// "Shift+Print".
QString keyChordText(const KeyChord& chord);

// Starts the desktop's screenshot tool by pressing its own keys.
class KeystrokeScreenshotTool final : public SystemScreenshotTool {
    Q_OBJECT
public:
    KeystrokeScreenshotTool(std::unique_ptr<KeystrokePoster> poster, DesktopScreenshotKeys keys, QObject* parent = nullptr);
    ~KeystrokeScreenshotTool() override;

    bool isAvailable() const override;
    QString explainUnavailable() const override;
    void capture(SystemCapture what) override;

    static constexpr int followUpDelayMs = 200;

private:
    std::unique_ptr<KeystrokePoster> m_poster;
    DesktopScreenshotKeys m_keys;
};
