#pragma once

#include "platform/ColorScheme.h"

#include <QDBusConnection>
#include <QDBusMessage>

// The desktop's appearance from xdg-desktop-portal (org.freedesktop.appearance color-scheme:
// 1 prefers dark, 2 prefers light), else from the lightness of the palette's window colour.
// The portal is asked without blocking; until it answers, or when it has no preference or is
// absent, the palette decides. Main thread only.
class PortalColorSchemeProvider final : public ColorSchemeProvider {
    Q_OBJECT
public:
    explicit PortalColorSchemeProvider(const QDBusConnection& bus, QObject* parent = nullptr);

    ColorScheme current() const override { return m_current; }
    // The portal's answer: 0 no preference, 1 dark, 2 light; -1 while unknown.
    int portalPreference() const { return m_portal; }

    // The scheme the application palette suggests.
    static ColorScheme paletteScheme();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private Q_SLOTS:
    void onSettingChanged(const QDBusMessage& message);

private:
    void applyPortalValue(const QVariant& value);
    void recompute();

    QDBusConnection m_bus;
    int m_portal = -1;
    ColorScheme m_current = ColorScheme::light;
};
