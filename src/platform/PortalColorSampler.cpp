#include "platform/PortalColorSampler.h"

#include "core/Log.h"
#include "platform/PortalRequest.h"

#include <QDBusArgument>
#include <QTimer>

#include <algorithm>
#include <cmath>

const QString PortalColorSampler::interface = QStringLiteral("org.freedesktop.portal.Screenshot");

// One pick in flight: the caller's callbacks and the timer that gives up on the portal. Deleting
// it drops a late answer (the portal request holds it as its context).
struct PortalColorSampler::Pick : QObject {
    Request request;
    QTimer timer;
    QString requestPath;
};

PortalColorSampler::PortalColorSampler(QDBusConnection bus, ColorSampler* fallback, QObject* parent)
    : ColorSampler(parent)
    , m_bus(std::move(bus))
    , m_fallback(fallback)
{
    if (m_fallback)
        m_fallback->setParent(this);
}

bool PortalColorSampler::isAvailable() const
{
    return m_bus.isConnected();
}

bool PortalColorSampler::isSampling() const
{
    return m_pick || (m_fallback && m_fallback->isSampling());
}

void PortalColorSampler::setTimeouts(int acceptMs, int pickMs)
{
    m_acceptTimeoutMs = acceptMs;
    m_pickTimeoutMs = pickMs;
}

void PortalColorSampler::sample(QObject* context, Picked picked, Finished finished)
{
    Request request { context, std::move(picked), std::move(finished) };
    if (isSampling() || !isAvailable()) {
        request.end(std::nullopt);
        return;
    }
    auto* pick = new Pick;
    pick->setParent(this);
    pick->request = std::move(request);
    m_pick = pick;

    pick->timer.setSingleShot(true);
    connect(&pick->timer, &QTimer::timeout, pick, [this, pick] {
        logLine(QStringLiteral("the colour picker portal did not answer in time; giving up"));
        PortalRequest::close(m_bus, pick->requestPath);
        end(pick, std::nullopt);
    });
    pick->timer.start(m_acceptTimeoutMs);

    pick->requestPath = PortalRequest::call(
        m_bus, interface, QStringLiteral("PickColor"), { QString(), QVariantMap() }, pick,
        [this, pick](uint response, const QVariantMap& results) {
            if (response == 2 && m_fallback && m_fallback->isAvailable()) {
                logLine(QStringLiteral("the colour picker portal failed; sampling the screen directly"));
                Request request = std::move(pick->request);
                m_pick = nullptr;
                pick->deleteLater();
                if (request.context)
                    m_fallback->sample(request.context, std::move(request.picked), std::move(request.finished));
                return;
            }
            std::optional<QColor> color;
            if (response == 0) {
                color = colorFromResults(results);
                if (!color)
                    logLine(QStringLiteral("the colour picker portal answered without a usable colour"));
            }
            end(pick, color);
        },
        [this, pick] { pick->timer.start(m_pickTimeoutMs); });
}

void PortalColorSampler::end(Pick* pick, const std::optional<QColor>& color)
{
    if (m_pick == pick)
        m_pick = nullptr;
    pick->timer.stop();
    Request request = std::move(pick->request);
    pick->deleteLater();
    request.end(color);
}

std::optional<QColor> PortalColorSampler::colorFromResults(const QVariantMap& results)
{
    const QVariant value = results.value(QStringLiteral("color"));
    if (!value.canConvert<QDBusArgument>())
        return std::nullopt;
    const QDBusArgument argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("(ddd)"))
        return std::nullopt;
    double r = 0, g = 0, b = 0;
    argument.beginStructure();
    argument >> r >> g >> b;
    argument.endStructure();
    if (!std::isfinite(r) || !std::isfinite(g) || !std::isfinite(b))
        return std::nullopt;
    // Components beyond 0-1 are kept (extended range); the colour's consumer clamps them.
    QColor color;
    color.setRgbF(float(r), float(g), float(b));
    if (!color.isValid())
        color = QColor::fromRgbF(float(std::clamp(r, 0.0, 1.0)), float(std::clamp(g, 0.0, 1.0)), float(std::clamp(b, 0.0, 1.0)));
    return color;
}
