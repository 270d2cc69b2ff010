#include "ui/BeautifiedCanvas.h"

#include "ui/Spring.h"

#include <QPaintEvent>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

BeautifiedCanvas::BeautifiedCanvas(QWidget* parent)
    : QWidget(parent)
    , m_backgroundFade(new QVariantAnimation(this))
    , m_watermarkMove(new SpringAnimation(Spring { 0.4, 0.8 }, this))
{
    m_backgroundFade->setStartValue(0.0);
    m_backgroundFade->setEndValue(1.0);
    m_backgroundFade->setDuration(350);
    m_backgroundFade->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_backgroundFade, &QVariantAnimation::valueChanged, this, [this] { update(); });
    connect(m_backgroundFade, &QVariantAnimation::finished, this, [this] {
        m_fadingBackground.reset();
        update();
    });

    connect(m_watermarkMove, &QVariantAnimation::valueChanged, this, [this] { update(); });
    connect(m_watermarkMove, &QVariantAnimation::finished, this, [this] {
        m_watermarkFrom.reset();
        update();
    });
}

BeautifiedCanvas::~BeautifiedCanvas() = default;

void BeautifiedCanvas::setContent(const CanvasContent& content)
{
    if (content == m_content)
        return;
    // The first content appears as it is: there is nothing to fade from or move from.
    const bool first = m_content.image.isNull();
    if (!first && content.settings.background != m_content.settings.background) {
        m_fadingBackground = m_content.settings.background;
        m_backgroundFade->stop();
        m_backgroundFade->start();
    }
    if (!first && content.watermark.position != m_content.watermark.position && content.settings.watermark) {
        m_watermarkFrom = m_content.watermark.position;
        m_watermarkMove->stop();
        m_watermarkMove->setStartValue(0.0);
        m_watermarkMove->setEndValue(1.0);
        m_watermarkMove->start();
    }
    const bool resized = canvasLayout(content.image, content.settings).canvasSize()
        != canvasLayout(m_content.image, m_content.settings).canvasSize();
    m_content = content;
    ++m_revision;
    if (resized)
        updateGeometry();
    update();
    Q_EMIT contentChanged();
}

void BeautifiedCanvas::setColorScheme(ColorScheme scheme)
{
    if (scheme == m_scheme)
        return;
    m_scheme = scheme;
    ++m_revision;
    update();
}

QSize BeautifiedCanvas::sizeHint() const
{
    return canvasLayout(m_content.image, m_content.settings).canvasSize().toSize();
}

void BeautifiedCanvas::setInMotion(bool moving)
{
    if (moving == m_inMotion)
        return;
    m_inMotion = moving;
    if (!moving)
        update();
}

void BeautifiedCanvas::clearCache()
{
    m_cache = {};
}

void BeautifiedCanvas::paintDirect(QPainter& p, double scale, QPointF origin)
{
    p.save();
    p.translate(origin);
    p.scale(scale, scale);
    CanvasPaintOptions options;
    options.showCheckerboard = true;
    options.scheme = m_scheme;
    if (m_fadingBackground && m_backgroundFade->state() == QAbstractAnimation::Running) {
        options.fadingBackground = m_fadingBackground;
        options.backgroundProgress = m_backgroundFade->currentValue().toDouble();
    }
    if (m_watermarkFrom && m_watermarkMove->state() == QAbstractAnimation::Running) {
        options.watermarkFrom = m_watermarkFrom;
        options.watermarkProgress = m_watermarkMove->currentValue().toDouble();
    }
    paintBeautifiedCanvas(p, m_content, options);
    p.restore();
}

void BeautifiedCanvas::paintEvent(QPaintEvent* event)
{
    const CanvasLayout layout = canvasLayout(m_content.image, m_content.settings);
    if (!(layout.canvasWidth > 0 && layout.canvasHeight > 0))
        return;
    QPainter p(this);
    // Fit the canvas into the widget, centred; the stage decides the widget's size.
    const double scale = std::min(width() / layout.canvasWidth, height() / layout.canvasHeight);
    if (!(scale > 0))
        return;
    const QPointF origin((width() - layout.canvasWidth * scale) / 2, (height() - layout.canvasHeight * scale) / 2);

    // Animations change every frame: nothing to keep.
    const bool animating = m_backgroundFade->state() == QAbstractAnimation::Running
        || m_watermarkMove->state() == QAbstractAnimation::Running;
    if (animating) {
        paintDirect(p, scale, origin);
        return;
    }

    const double dpr = devicePixelRatioF();
    const double deviceScale = scale * dpr;
    const QPointF deviceOrigin = origin * dpr;
    const QRect canvasPixels(0, 0, int(std::ceil(layout.canvasWidth * deviceScale)),
        int(std::ceil(layout.canvasHeight * deviceScale)));
    const QRectF exposedDevice(QPointF(event->rect().topLeft()) * dpr, QSizeF(event->rect().size()) * dpr);
    const QRect needed = exposedDevice.translated(-deviceOrigin).toAlignedRect() & canvasPixels;
    if (needed.isEmpty())
        return;

    const bool current = !m_cache.image.isNull() && m_cache.revision == m_revision;
    if (current && std::abs(m_cache.deviceScale - deviceScale) > 1e-9 && m_inMotion) {
        // On the way to another scale: the kept render, scaled.
        const double k = deviceScale / m_cache.deviceScale / dpr;
        // Nearest sampling: the frame lasts a few milliseconds and the exact render follows.
        p.drawImage(QRectF(origin + QPointF(m_cache.region.topLeft()) * k, QSizeF(m_cache.region.size()) * k), m_cache.image);
        return;
    }
    if (!(current && std::abs(m_cache.deviceScale - deviceScale) <= 1e-9 && m_cache.region.contains(needed))) {
        // The whole canvas when it is of screen size; else the exposed part with a margin for panning.
        constexpr qint64 kWholeCanvasPixels = 8'000'000; // 32 MB
        QRect region = canvasPixels;
        if (qint64(canvasPixels.width()) * canvasPixels.height() > kWholeCanvasPixels) {
            const int margin = std::min(std::max(needed.width(), needed.height()) / 4, 512);
            region = needed.adjusted(-margin, -margin, margin, margin) & canvasPixels;
        }
        QImage image(region.size(), QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) {
            paintDirect(p, scale, origin);
            return;
        }
        image.fill(Qt::transparent);
        {
            QPainter r(&image);
            r.translate(-region.topLeft());
            r.scale(deviceScale, deviceScale);
            CanvasPaintOptions options;
            options.showCheckerboard = true;
            options.scheme = m_scheme;
            paintBeautifiedCanvas(r, m_content, options);
        }
        ++m_renderCount;
        m_cache = { image, m_revision, deviceScale, region };
    }
    // Device pixels 1:1.
    p.scale(1 / dpr, 1 / dpr);
    p.drawImage(deviceOrigin + QPointF(m_cache.region.topLeft()), m_cache.image);
}
