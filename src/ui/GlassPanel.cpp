#include "ui/GlassPanel.h"

#include "render/ContinuousCorners.h"
#include "ui/Shadow.h"
#include "ui/Theme.h"

#include <QGraphicsEffect>
#include <QPainter>
#include <QPointer>

namespace {
struct ShadowSpec {
    qreal darkOpacity, lightOpacity, radius;
    QPointF offset;
};
constexpr ShadowSpec kLarge { 0.45, 0.18, 28.0, { 0.0, 16.0 } };
constexpr ShadowSpec kClose { 0.40, 0.10, 4.0, { 0.0, 2.0 } };

class GlassShadowEffect final : public QGraphicsEffect {
public:
    explicit GlassShadowEffect(GlassPanel* panel)
        : QGraphicsEffect(panel)
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
        if (m_panel)
            GlassPanel::paintShadows(*painter, m_panel->shape(), Theme::colorScheme(m_panel));
        drawSource(painter);
    }

private:
    QPointer<GlassPanel> m_panel;
};
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

qreal GlassPanel::shadowMargin()
{
    return shadowReach(kLarge.radius, kLarge.offset);
}

void GlassPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paintMaterial(p, rect(), m_cornerRadius, Theme::colorScheme(this));
}
