#pragma once

#include "confetti/ConfettiCannon.h"
#include "platform/KeystrokeScreenshotTool.h"

#include <QWidget>

// The last onboarding page: the application icon on a glow, "You're all set.", a thank-you
// text and feature chips. Each time the page is shown it raises its confetti counter by one,
// which fires one burst from behind the icon.
class WelcomeStep : public QWidget {
    Q_OBJECT
public:
    struct Chip {
        QString icon; // symbol name
        QString label;
    };

    // `keys` name the desktop's screenshot key in the thank-you text.
    explicit WelcomeStep(QList<Chip> chips = defaultChips(DesktopScreenshotKeys::forSession()), QWidget* parent = nullptr,
        ConfettiClock clock = defaultConfettiClock(), ConfettiRandom random = defaultConfettiRandom(),
        const DesktopScreenshotKeys& keys = DesktopScreenshotKeys::forSession());

    // The first chip names the desktop's key for capturing an area.
    static QList<Chip> defaultChips(const DesktopScreenshotKeys& keys = DesktopScreenshotKeys::forSession());
    static ConfettiOptions confettiOptions();

    const QList<Chip>& chips() const { return m_chips; }
    int confetti() const { return m_confetti; }
    ConfettiCannon* cannon() const { return m_cannon; }
    // The icon group the burst flies from.
    QWidget* iconGroup() const { return m_iconGroup; }

    // Room above the icon for its glow; the page's content starts below it.
    static constexpr int kGlowBleed = 60;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QList<Chip> m_chips;
    QWidget* m_iconGroup;
    ConfettiCannon* m_cannon;
    int m_confetti = 0;
};

// The application's own icon at `side` points for this device pixel ratio.
QPixmap applicationIconPixmap(int side, qreal devicePixelRatio);
