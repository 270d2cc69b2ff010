#include "editor/FormatBarContainer.h"

#include "editor/EditingOverlay.h"
#include "ui/Spring.h"
#include "ui/Theme.h"

#include <QGraphicsEffect>
#include <QHBoxLayout>
#include <QPainter>

#include <algorithm>
#include <cmath>

// Draws the panel's shadow outside its rectangle and applies the in/out transition (scale about
// the centre and opacity) to the whole bar.
class FormatBarEffect final : public QGraphicsEffect {
public:
    explicit FormatBarEffect(QWidget* owner)
        : QGraphicsEffect(owner)
    {
    }

    double progress() const { return m_progress; }
    void setProgress(double progress)
    {
        m_progress = progress;
        update();
    }

    QRectF boundingRectFor(const QRectF& rect) const override
    {
        const double m = EditingOverlay::formatBarShadowMargin();
        return rect.adjusted(-m, -m, m, m);
    }

protected:
    void draw(QPainter* painter) override
    {
        // Kept while Qt still shares it: it lets go of its reference once the bar or one of its
        // controls is updated, so a canvas frame behind the bar does not paint the controls again.
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        if (m_source.isNull() || m_source.isDetached() || !qFuzzyCompare(m_source.devicePixelRatio(), dpr))
            m_source = sourcePixmap(Qt::LogicalCoordinates, &m_offset, QGraphicsEffect::NoPad);
        const QPixmap& source = m_source;
        const QPoint offset = m_offset;
        const QRectF bounds = sourceBoundingRect(Qt::LogicalCoordinates);
        const double scale = 0.88 + 0.12 * m_progress;
        painter->save();
        painter->setOpacity(std::clamp(m_progress, 0.0, 1.0));
        painter->translate(bounds.center());
        painter->scale(scale, scale);
        painter->translate(-bounds.center());
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        EditingOverlay::paintFormatBarShadow(*painter, bounds);
        painter->drawPixmap(offset, source);
        painter->restore();
    }

    void sourceChanged(ChangeFlags flags) override
    {
        if (flags & (SourceInvalidated | SourceBoundingRectChanged | SourceDetached))
            m_source = QPixmap();
    }

private:
    double m_progress = 0;
    QPixmap m_source;
    QPoint m_offset;
};

FormatBarContainer::FormatBarContainer(QWidget* content, QWidget* parent)
    : QWidget(parent)
    , m_content(content)
    , m_effect(new FormatBarEffect(this))
    , m_spring(new SpringAnimation(Spring { 0.32, 0.76 }, this))
{
    setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 0, 10, 0);
    row->setSpacing(5);
    if (content)
        row->addWidget(content, 0, Qt::AlignVCenter);
    setFixedHeight(int(EditingOverlay::formatBarHeight));
    resize(sizeHint());
    setGraphicsEffect(m_effect);
    m_spring->setStartValue(0.0);
    m_spring->setEndValue(0.0);
    connect(m_spring, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) { setProgress(v.toDouble()); });
    connect(m_spring, &QAbstractAnimation::finished, this, [this] {
        if (m_disappearing)
            deleteLater();
    });
    Theme::followColorScheme(this);
}

QSize FormatBarContainer::sizeHint() const
{
    const int contentWidth = m_content ? m_content->sizeHint().width() : 0;
    return QSize(contentWidth + 20, int(EditingOverlay::formatBarHeight));
}

double FormatBarContainer::progress() const
{
    return m_effect->progress();
}

void FormatBarContainer::setProgress(double progress)
{
    m_effect->setProgress(progress);
}

void FormatBarContainer::setCenter(QPointF center)
{
    const QSize size = sizeHint();
    if (this->size() != size)
        resize(size);
    move(int(std::lround(center.x() - size.width() / 2.0)), int(std::lround(center.y() - size.height() / 2.0)));
}

void FormatBarContainer::appear()
{
    m_disappearing = false;
    show();
    raise();
    m_spring->retarget(1.0);
}

void FormatBarContainer::disappear()
{
    if (m_disappearing)
        return;
    m_disappearing = true;
    // Nothing to press on a bar that is leaving.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_spring->retarget(0.0);
}

void FormatBarContainer::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    EditingOverlay::paintFormatBarPanel(p, QRectF(rect()), Theme::colorScheme(this) == ColorScheme::dark);
}
