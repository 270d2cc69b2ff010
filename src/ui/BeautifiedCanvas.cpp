#include "ui/BeautifiedCanvas.h"

#include "ui/Spring.h"

#include <QPainter>
#include <QVariantAnimation>

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
    if (content.settings.background != m_content.settings.background) {
        m_fadingBackground = m_content.settings.background;
        m_backgroundFade->stop();
        m_backgroundFade->start();
    }
    if (content.watermark.position != m_content.watermark.position && content.settings.watermark) {
        m_watermarkFrom = m_content.watermark.position;
        m_watermarkMove->stop();
        m_watermarkMove->setStartValue(0.0);
        m_watermarkMove->setEndValue(1.0);
        m_watermarkMove->start();
    }
    const bool resized = canvasLayout(content.image, content.settings).canvasSize()
        != canvasLayout(m_content.image, m_content.settings).canvasSize();
    m_content = content;
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
    update();
}

QSize BeautifiedCanvas::sizeHint() const
{
    return canvasLayout(m_content.image, m_content.settings).canvasSize().toSize();
}

void BeautifiedCanvas::paintEvent(QPaintEvent*)
{
    const CanvasLayout layout = canvasLayout(m_content.image, m_content.settings);
    if (!(layout.canvasWidth > 0 && layout.canvasHeight > 0))
        return;
    QPainter p(this);
    // Fit the canvas into the widget, centred; the stage decides the widget's size.
    const double scale = std::min(width() / layout.canvasWidth, height() / layout.canvasHeight);
    p.translate((width() - layout.canvasWidth * scale) / 2, (height() - layout.canvasHeight * scale) / 2);
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
}
