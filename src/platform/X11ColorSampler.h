#pragma once

#include "platform/ColorSampler.h"

#include <QList>
#include <QPointer>

#include <optional>

class ColorSamplerOverlay;

// Samples on X11 without a portal: every screen is grabbed once and covered by an overlay that
// shows the frozen picture with a magnifier (ColorSamplerOverlay). A click on any screen picks
// from that screen's own grab; Esc, a right click or losing every overlay cancels.
class X11ColorSampler final : public ColorSampler {
    Q_OBJECT
public:
    explicit X11ColorSampler(QObject* parent = nullptr);
    ~X11ColorSampler() override;

    bool isAvailable() const override;
    bool isSampling() const override { return !m_overlays.isEmpty(); }
    void sample(QObject* context, Picked picked, Finished finished) override;

private:
    void end(const std::optional<QColor>& color);

    QList<QPointer<ColorSamplerOverlay>> m_overlays;
    Request m_request;
};
