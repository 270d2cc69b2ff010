#include "platform/ColorSampler.h"

#include "core/Log.h"
#include "platform/PortalColorSampler.h"
#include "platform/PortalRequest.h"
#include "platform/X11ColorSampler.h"

#include <QGuiApplication>

namespace {
ColorSampler* g_installed = nullptr;
}

NullColorSampler::NullColorSampler(const QString& reason, QObject* parent)
    : ColorSampler(parent)
{
    logLine(QStringLiteral("screen colour sampling is unavailable: %1").arg(reason));
}

void NullColorSampler::sample(QObject* context, Picked, Finished finished)
{
    Request { context, {}, std::move(finished) }.end(std::nullopt);
}

void ColorSampler::Request::end(const std::optional<QColor>& color)
{
    const Picked pick = std::exchange(picked, nullptr);
    const Finished finish = std::exchange(finished, nullptr);
    if (color && pick && context)
        pick(*color);
    if (finish && context)
        finish();
}

ColorSampler& ColorSampler::shared()
{
    if (g_installed)
        return *g_installed;
    static ColorSampler* sampler = []() -> ColorSampler* {
        const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (PortalRequest::rememberedVersion(bus, PortalColorSampler::interface) >= PortalColorSampler::minimumVersion)
            return new PortalColorSampler(bus, x11 ? new X11ColorSampler() : nullptr);
        if (x11)
            return new X11ColorSampler();
        return new NullColorSampler(QStringLiteral(
            "no screenshot portal with PickColor (xdg-desktop-portal) is running and this session has no X server"));
    }();
    return *sampler;
}

void ColorSampler::setShared(ColorSampler* sampler)
{
    g_installed = sampler;
}
