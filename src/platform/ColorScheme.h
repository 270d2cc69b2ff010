#pragma once

#include <QObject>

// The desktop's light or dark appearance.
enum class ColorScheme { light, dark };

// Reports the current scheme and announces changes. The Linux provider asks the
// xdg-desktop-portal setting org.freedesktop.appearance color-scheme, else the palette's
// window lightness.
class ColorSchemeProvider : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual ColorScheme current() const = 0;

    static ColorSchemeProvider& shared();
    // Tests install a provider of their own; nullptr restores the desktop's.
    static void setShared(ColorSchemeProvider* provider);

Q_SIGNALS:
    void changed(ColorScheme scheme);
};
