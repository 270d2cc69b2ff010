#include "ui/GlassPanel.h"

#include "render/ContinuousCorners.h"
#include "ui/Shadow.h"
#include "ui/Theme.h"

#include <QGraphicsEffect>
#include <QPainter>
#include <QPointer>

#include <algorithm>
#include <cmath>
#include <list>

namespace {
struct ShadowSpec {
    qreal darkOpacity, lightOpacity, radius;
    QPointF offset;
};
constexpr ShadowSpec kLarge { 0.45, 0.18, 28.0, { 0.0, 16.0 } };
constexpr ShadowSpec kClose { 0.40, 0.10, 4.0, { 0.0, 2.0 } };

// Draws the widget and its children from a pixmap kept until one of them is updated, so a frame
// that repaints only what lies behind (a canvas panned or zoomed under a floating panel) costs a
// blend instead of painting every control again. Qt keeps a reference to the pixmap it hands out
// until the widget or a child asks to be repainted and then drops it: a kept pixmap that is no
// longer shared has gone stale. Should that ever change, the pixmap is simply made afresh.
class CachedSourceEffect : public QGraphicsEffect {
public:
    using QGraphicsEffect::QGraphicsEffect;

protected:
    void draw(QPainter* painter) override { drawCachedSource(painter); }
    void drawCachedSource(QPainter* painter)
    {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        if (m_kept.isNull() || m_kept.isDetached() || !qFuzzyCompare(m_kept.devicePixelRatio(), dpr))
            m_kept = sourcePixmap(Qt::LogicalCoordinates, &m_offset, QGraphicsEffect::NoPad);
        painter->drawPixmap(m_offset, m_kept);
    }
    void sourceChanged(ChangeFlags flags) override
    {
        if (flags & (SourceInvalidated | SourceBoundingRectChanged | SourceDetached))
            m_kept = QPixmap();
    }

private:
    QPixmap m_kept;
    QPoint m_offset;
};

class GlassShadowEffect final : public CachedSourceEffect {
public:
    explicit GlassShadowEffect(GlassPanel* panel)
        : CachedSourceEffect(panel)
        , m_panel(panel)
    {
    }

    QRectF boundingRectFor(const QRectF& rect) const override
    {
        const qreal reach = GlassPanel::shadowMargin();
        return rect.adjusted(-reach, -reach, reach, reach);
    }

protected:
    void draw(QPainter* painter) override
    {
        // The glass behind the content, shadows and material in one kept image: a canvas frame
        // passing behind the panel then costs one blend instead of three.
        if (m_panel)
            GlassPanel::paintGlass(*painter, QRectF(m_panel->rect()), m_panel->cornerRadius(), Theme::colorScheme(m_panel));
        drawCachedSource(painter);
    }

private:
    QPointer<GlassPanel> m_panel;
};
}

void GlassPanel::cacheContent(QWidget* widget)
{
    widget->setGraphicsEffect(new CachedSourceEffect(widget));
}

GlassPanel::GlassPanel(qreal cornerRadius, QWidget* parent)
    : QWidget(parent)
    , m_cornerRadius(cornerRadius)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setGraphicsEffect(new GlassShadowEffect(this));
    Theme::followColorScheme(this);
}

void GlassPanel::setCornerRadius(qreal radius)
{
    m_cornerRadius = radius;
    update();
}

QPainterPath GlassPanel::shape() const
{
    return continuousRoundedRect(rect(), m_cornerRadius);
}

void GlassPanel::paintShadows(QPainter& painter, const QPainterPath& shape, ColorScheme scheme)
{
    const bool dark = scheme == ColorScheme::dark;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (const ShadowSpec& s : { kLarge, kClose })
        paintShadow(painter, shape, Theme::rgb(0, 0, 0, dark ? s.darkOpacity : s.lightOpacity), s.radius, s.offset);
    painter.restore();
}

void GlassPanel::paintMaterial(QPainter& painter, const QRectF& rect, qreal cornerRadius, ColorScheme scheme)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(continuousRoundedRect(rect, cornerRadius), Theme::materialFill(scheme));
    // A 0.5 hairline inside the edge: stroke the shape inset by half the line width.
    const QRectF inset = rect.adjusted(0.25, 0.25, -0.25, -0.25);
    painter.setPen(QPen(scheme == ColorScheme::dark ? Theme::rgb(255, 255, 255, 0.12) : Theme::rgb(255, 255, 255, 0.8), 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(continuousRoundedRect(inset, std::max<qreal>(0.0, cornerRadius - 0.25)));
    painter.restore();
}

void GlassPanel::paintGlass(QPainter& painter, const QRectF& panel, qreal cornerRadius, ColorScheme scheme, bool shadows)
{
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal margin = shadows ? std::ceil(shadowMargin()) : 0.0;
    const QRectF bounds = panel.adjusted(-margin, -margin, margin, margin);
    const QTransform& t = painter.worldTransform();
    // Only where it lands on whole device pixels is a kept image the same as painting afresh.
    const bool plain = t.type() <= QTransform::TxTranslate
        && qFuzzyIsNull(std::remainder((bounds.x() + t.dx()) * dpr, 1.0)) && qFuzzyIsNull(std::remainder((bounds.y() + t.dy()) * dpr, 1.0))
        && qFuzzyIsNull(std::remainder(bounds.width() * dpr, 1.0)) && qFuzzyIsNull(std::remainder(bounds.height() * dpr, 1.0));
    if (!plain || bounds.isEmpty()) {
        if (shadows)
            paintShadows(painter, continuousRoundedRect(panel, cornerRadius), scheme);
        paintMaterial(painter, panel, cornerRadius, scheme);
        return;
    }
    struct Key {
        QSize pixels;
        qint64 radius, scale;
        ColorScheme scheme;
        bool shadows;
        bool operator==(const Key&) const = default;
    };
    // A few panels at one or two sizes each; the cap only guards against a resize storm.
    static std::list<std::pair<Key, QImage>> kept;
    const Key key { (bounds.size() * dpr).toSize(), qint64(std::lround(cornerRadius * 64)), qint64(std::lround(dpr * 64)),
        scheme, shadows };
    auto it = std::find_if(kept.begin(), kept.end(), [&](const auto& entry) { return entry.first == key; });
    if (it == kept.end()) {
        QImage image(key.pixels, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            const QRectF local = panel.translated(-bounds.topLeft());
            if (shadows)
                paintShadows(p, continuousRoundedRect(local, cornerRadius), scheme);
            paintMaterial(p, local, cornerRadius, scheme);
        }
        kept.emplace_front(key, std::move(image));
        if (kept.size() > 8)
            kept.pop_back();
        it = kept.begin();
    } else if (it != kept.begin()) {
        kept.splice(kept.begin(), kept, it);
        it = kept.begin();
    }
    painter.drawImage(bounds.topLeft(), it->second);
}

qreal GlassPanel::shadowMargin()
{
    return shadowReach(kLarge.radius, kLarge.offset);
}

void GlassPanel::paintEvent(QPaintEvent*)
{
    // The material is drawn with the shadows by the effect, under the content; without the
    // effect (someone replaced it) the panel draws it itself.
    if (graphicsEffect() && graphicsEffect()->isEnabled())
        return;
    QPainter p(this);
    paintMaterial(p, rect(), m_cornerRadius, Theme::colorScheme(this));
}
