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

Q_SIGNALS:
    void contentChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CanvasContent m_content;
    ColorScheme m_scheme = ColorScheme::light;
    std::optional<BackgroundPreset> m_fadingBackground;
    std::optional<WatermarkPosition> m_watermarkFrom;
    QVariantAnimation* m_backgroundFade;
    SpringAnimation* m_watermarkMove;
};
