#pragma once

#include "platform/ColorSampler.h"

#include <QDBusConnection>
#include <QPointer>

#include <optional>

// Picks through xdg-desktop-portal's Screenshot.PickColor: the desktop shows its own picker and
// answers with the colour. A portal that does not take the call within a few seconds, or never
// answers at all, is given up on, so the caller's "Pick" comes back. When the desktop's portal
// cannot pick (some backends lack the method), the pick goes to `fallback` where one is given.
class PortalColorSampler final : public ColorSampler {
    Q_OBJECT
public:
    static const QString interface; // org.freedesktop.portal.Screenshot
    static constexpr uint minimumVersion = 2; // PickColor came with version 2
    static constexpr int defaultAcceptTimeoutMs = 5000;
    static constexpr int defaultPickTimeoutMs = 120000;

    // Takes ownership of `fallback`.
    explicit PortalColorSampler(QDBusConnection bus, ColorSampler* fallback = nullptr, QObject* parent = nullptr);

    bool isAvailable() const override;
    bool isSampling() const override;
    void sample(QObject* context, Picked picked, Finished finished) override;

    // How long the portal may take to take the call, and then the user to pick.
    void setTimeouts(int acceptMs, int pickMs);

    // The colour in a PickColor answer: three sRGB components; none when it is missing, malformed
    // or not finite.
    static std::optional<QColor> colorFromResults(const QVariantMap& results);

private:
    struct Pick;
    void end(Pick* pick, const std::optional<QColor>& color);

    QDBusConnection m_bus;
    ColorSampler* m_fallback;
    QPointer<QObject> m_pick; // the pick in flight
    int m_acceptTimeoutMs = defaultAcceptTimeoutMs;
    int m_pickTimeoutMs = defaultPickTimeoutMs;
};
