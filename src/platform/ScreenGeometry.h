#pragma once

#include <QRect>

#include <optional>

class QScreen;

// Where panels that hang from the top of the screen go. Linux screens have no notch: the top
// inset is the space the desktop's top bar takes.
class ScreenGeometry {
public:
    virtual ~ScreenGeometry() = default;

    // The full frame of the screen the user is looking at (the one under the pointer, else the
    // primary one), in global coordinates; none when there is no screen at all.
    virtual std::optional<QRect> mainScreenFrame() const = 0;
    // Height of the desktop's top bar on that screen; 0 without one or without a screen.
    virtual int topInset() const = 0;

    static ScreenGeometry& shared();
};

// The desktop's screens as Qt sees them: the top inset is how far the available area starts
// below the screen's top edge.
class DesktopScreenGeometry final : public ScreenGeometry {
public:
    std::optional<QRect> mainScreenFrame() const override;
    int topInset() const override;

    static QScreen* mainScreen();
};
