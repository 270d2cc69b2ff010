#include "platform/KeystrokeScreenshotTool.h"

#include "core/Log.h"
#include "platform/KeyboardLayout.h"
#include "platform/Keys.h"

#include <QTimer>

namespace {
constexpr quint32 kPrint = 0xff61;
}

DesktopScreenshotKeys DesktopScreenshotKeys::forDesktop(const QString& currentDesktop)
{
    const QStringList desktops = currentDesktop.toUpper().split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (desktops.contains(QLatin1String("KDE"))) {
        // Spectacle: Print opens it; Meta+Shift+Print region, Meta+Print active window.
        return { { kPrint, 0 }, { kPrint, CarbonModifier::control | CarbonModifier::shift },
            { kPrint, CarbonModifier::control }, std::nullopt, { kPrint, CarbonModifier::shift } };
    }
    if (desktops.contains(QLatin1String("GNOME")) || desktops.contains(QLatin1String("UNITY"))) {
        // GNOME Shell: Print opens the screenshot interface (area by default), Alt+Print the
        // window, Shift+Print the whole screen.
        return { { kPrint, 0 }, { kPrint, 0 }, { kPrint, CarbonModifier::option }, std::nullopt,
            { kPrint, CarbonModifier::shift }, false };
    }
    // Xfce and most others: Print the screen, Shift+Print a region, Alt+Print the window.
    return { { kPrint, 0 }, { kPrint, CarbonModifier::shift }, { kPrint, CarbonModifier::option }, std::nullopt,
        { kPrint, 0 } };
}

DesktopScreenshotKeys DesktopScreenshotKeys::forSession()
{
    return forDesktop(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
}

QString keyChordText(const KeyChord& chord)
{
    return keyText(chord.carbonModifiers, labelForKeysym(chord.keysym));
}

QString DesktopScreenshotKeys::text(SystemCapture what) const
{
    switch (what) {
    case SystemCapture::options:
        return keyChordText(options);
    case SystemCapture::selection:
        return keyChordText(selection);
    case SystemCapture::fullScreen:
        return keyChordText(fullScreen);
    case SystemCapture::window:
        break;
    }
    QString text = keyChordText(window);
    if (windowFollowUp)
        text += QStringLiteral(" then ") + keyChordText(*windowFollowUp);
    return text;
}

KeystrokeScreenshotTool::KeystrokeScreenshotTool(
    std::unique_ptr<KeystrokePoster> poster, DesktopScreenshotKeys keys, QObject* parent)
    : SystemScreenshotTool(parent)
    , m_poster(std::move(poster))
    , m_keys(std::move(keys))
{
}

KeystrokeScreenshotTool::~KeystrokeScreenshotTool() = default;

bool KeystrokeScreenshotTool::isAvailable() const
{
    return m_poster->isAvailable();
}

QString KeystrokeScreenshotTool::explainUnavailable() const
{
    return m_poster->explainUnavailable();
}

void KeystrokeScreenshotTool::capture(SystemCapture what)
{
    // Asked each time: the X server may have gone away since.
    if (!m_poster->isAvailable()) {
        Q_EMIT unavailable(m_poster->explainUnavailable());
        return;
    }
    const KeyChord& first = what == SystemCapture::options ? m_keys.options
        : what == SystemCapture::selection                 ? m_keys.selection
        : what == SystemCapture::window                    ? m_keys.window
                                                           : m_keys.fullScreen;
    // Pressed into the void, the key would do nothing at all: say so instead.
    if (m_keys.listenersVisible && !m_poster->someoneListensFor(first)) {
        logLine(QStringLiteral("no program on this desktop listens for the screenshot key"));
        Q_EMIT noAnswer();
        return;
    }
    switch (what) {
    case SystemCapture::options:
        m_poster->post(m_keys.options);
        return;
    case SystemCapture::selection:
        m_poster->post(m_keys.selection);
        return;
    case SystemCapture::fullScreen:
        m_poster->post(m_keys.fullScreen);
        return;
    case SystemCapture::window:
        m_poster->post(m_keys.window);
        if (const auto followUp = m_keys.windowFollowUp) {
            QTimer::singleShot(followUpDelayMs, this, [this, chord = *followUp] { m_poster->post(chord); });
        }
        return;
    }
}
