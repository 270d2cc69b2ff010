#pragma once

#include "platform/ColorScheme.h"
#include "render/CanvasPainter.h"

#include <QWidget>

#include <optional>

class QVariantAnimation;
class SpringAnimation;

// The on-screen canvas: paints CanvasContent scaled to fit the widget, shows the checkerboard
// for `none`, cross-fades a changed background (0.35 s ease-in-out) and moves the watermark to a
// new corner with a spring (response 0.4 s, damping 0.8). The painting itself is
// paintBeautifiedCanvas, shared with every render.
//
// Renders are kept by content revision and scale, so a repaint that changes neither (a pan, an
// overlapping view) is a copy. Only the exposed part of a canvas larger than the screen is
// rendered. While `inMotion` (a zoom on its way) a render at another scale is drawn scaled
// instead of rendering every frame; the exact render follows when the motion ends.
class BeautifiedCanvas : public QWidget {
    Q_OBJECT
public:
    explicit BeautifiedCanvas(QWidget* parent = nullptr);
    ~BeautifiedCanvas() override;

    const CanvasContent& content() const { return m_content; }
    void setContent(const CanvasContent& content);

    ColorScheme colorScheme() const { return m_scheme; }
    void setColorScheme(ColorScheme scheme);

    QSize sizeHint() const override;

    bool inMotion() const { return m_inMotion; }
    void setInMotion(bool moving);
    // Forgets the kept render (the document closed).
    void clearCache();
    // Renders made so far, and the size of the one kept.
    int renderCount() const { return m_renderCount; }
    QSize keptRenderSize() const { return m_cache.image.size(); }

Q_SIGNALS:
    void contentChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Cached {
        QImage image;         // device pixels
        quint64 revision = 0;
        double deviceScale = 0; // device pixels per canvas point
        QRect region;         // what the image covers, in device pixels from the canvas origin
    };
    void paintDirect(QPainter& p, double scale, QPointF origin);

    CanvasContent m_content;
    quint64 m_revision = 1;
    Cached m_cache;
    bool m_inMotion = false;
    int m_renderCount = 0;
    ColorScheme m_scheme = ColorScheme::light;
    std::optional<BackgroundPreset> m_fadingBackground;
    std::optional<WatermarkPosition> m_watermarkFrom;
    QVariantAnimation* m_backgroundFade;
    SpringAnimation* m_watermarkMove;
};
