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
        const qreal reach = shadowReach(kLarge.radius, kLarge.offset);
        return rect.adjusted(-reach, -reach, reach, reach);
    }

protected:
    void draw(QPainter* painter) override
    {
        if (m_panel) {
            const bool dark = Theme::colorScheme(m_panel) == ColorScheme::dark;
            const QPainterPath shape = m_panel->shape();
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing);
            for (const ShadowSpec& s : { kLarge, kClose })
                paintShadow(*painter, shape, Theme::rgb(0, 0, 0, dark ? s.darkOpacity : s.lightOpacity), s.radius, s.offset);
            painter->restore();
        }
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

void GlassPanel::paintEvent(QPaintEvent*)
{
    const ColorScheme scheme = Theme::colorScheme(this);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(shape(), Theme::materialFill(scheme));
    // A 0.5 hairline inside the edge: stroke the shape inset by half the line width.
    const QRectF inset = QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25);
    p.setPen(QPen(scheme == ColorScheme::dark ? Theme::rgb(255, 255, 255, 0.12) : Theme::rgb(255, 255, 255, 0.8), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(continuousRoundedRect(inset, std::max<qreal>(0.0, m_cornerRadius - 0.25)));
}
