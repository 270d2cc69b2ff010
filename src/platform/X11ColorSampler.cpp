#include "platform/X11ColorSampler.h"

#include "core/Log.h"
#include "platform/ColorSamplerOverlay.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

X11ColorSampler::X11ColorSampler(QObject* parent)
    : ColorSampler(parent)
{
}

X11ColorSampler::~X11ColorSampler()
{
    // Emptied first: an overlay going away must not end the pick from inside the destructor.
    const QList<QPointer<ColorSamplerOverlay>> overlays = std::exchange(m_overlays, {});
    for (const QPointer<ColorSamplerOverlay>& overlay : overlays)
        delete overlay.data();
}

bool X11ColorSampler::isAvailable() const
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

void X11ColorSampler::sample(QObject* context, Picked picked, Finished finished)
{
    Request request { context, std::move(picked), std::move(finished) };
    if (isSampling() || !isAvailable()) {
        request.end(std::nullopt);
        return;
    }
    m_request = std::move(request);

    // Grab every screen before any overlay shows, so no overlay ends up in another's picture.
    QList<std::pair<QScreen*, QImage>> grabs;
    for (QScreen* screen : QGuiApplication::screens()) {
        QImage image = screen->grabWindow(0).toImage();
        if (image.isNull())
            logLine(QStringLiteral("could not grab screen %1 for colour sampling").arg(screen->name()));
        else
            grabs.append({ screen, std::move(image) });
    }
    for (auto& [screen, image] : grabs) {
        auto* overlay = new ColorSamplerOverlay(screen, std::move(image));
        connect(overlay, &ColorSamplerOverlay::picked, this, [this](const QColor& color) { end(color); });
        connect(overlay, &ColorSamplerOverlay::cancelled, this, [this] { end(std::nullopt); });
        connect(overlay, &QObject::destroyed, this, [this] {
            if (isSampling() && std::all_of(m_overlays.cbegin(), m_overlays.cend(), [](const auto& o) { return o.isNull(); }))
                end(std::nullopt);
        });
        m_overlays.append(overlay);
        overlay->show();
    }
    if (m_overlays.isEmpty()) {
        std::exchange(m_request, {}).end(std::nullopt);
        return;
    }
    // Keys go to the overlay under the pointer (Esc must reach one wherever focus was).
    ColorSamplerOverlay* keyed = m_overlays.constFirst();
    for (const QPointer<ColorSamplerOverlay>& overlay : std::as_const(m_overlays)) {
        if (overlay->geometry().contains(QCursor::pos()))
            keyed = overlay;
    }
    keyed->activateWindow();
    keyed->setFocus();
    keyed->grabKeyboard();
}

void X11ColorSampler::end(const std::optional<QColor>& color)
{
    if (m_overlays.isEmpty())
        return;
    const QList<QPointer<ColorSamplerOverlay>> overlays = std::exchange(m_overlays, {});
    for (const QPointer<ColorSamplerOverlay>& overlay : overlays) {
        if (overlay) {
            overlay->releaseKeyboard();
            overlay->hide();
            overlay->deleteLater();
        }
    }
    std::exchange(m_request, {}).end(color);
}
