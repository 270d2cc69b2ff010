#include "notch/NotchThumbnail.h"

#include "notch/NotchController.h"
#include "render/ContinuousCorners.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
constexpr qreal kCornerRadius = 12;

// Draws `image` scaled to cover `rect`, centred: the overflow is cut, never letterboxed.
void drawFilling(QPainter& p, const QImage& image, const QRectF& rect)
{
    const QSizeF size = image.deviceIndependentSize();
    if (image.isNull() || size.isEmpty())
        return;
    const qreal scale = std::max(rect.width() / size.width(), rect.height() / size.height());
    const QSizeF drawn = size * scale;
    const QRectF target(rect.center().x() - drawn.width() / 2, rect.center().y() - drawn.height() / 2, drawn.width(),
        drawn.height());
    p.drawImage(target, image);
}
}

NotchThumbnail::NotchThumbnail(NotchController* controller, QWidget* parent)
    : QWidget(parent)
    , m_controller(controller)
    , m_image(controller->thumbnail())
{
    setCursor(Qt::OpenHandCursor);
    m_crossFade.setDuration(kCrossFadeMs);
    m_crossFade.setEasingCurve(QEasingCurve::InOutQuad);
    m_crossFade.setStartValue(0.0);
    m_crossFade.setEndValue(1.0);
    connect(&m_crossFade, &QVariantAnimation::valueChanged, this, [this] { update(); });
    connect(&m_crossFade, &QVariantAnimation::finished, this, [this] { m_fadingFrom = QImage(); update(); });

    // The raw/styled switch is announced before the new image: the image on screen then is the
    // one to fade from.
    connect(controller, &NotchController::showingRawChanged, this, [this] {
        m_fadingFrom = m_image;
        m_crossFade.stop();
        m_crossFade.start();
    });
    connect(controller, &NotchController::thumbnailChanged, this, [this] {
        const QSizeF before = thumbnailSize(m_image.deviceIndependentSize());
        m_image = m_controller->thumbnail();
        if (thumbnailSize(m_image.deviceIndependentSize()) != before) {
            updateGeometry();
            Q_EMIT sizeChanged();
        }
        update();
    });
}

QSizeF NotchThumbnail::thumbnailSize(const QSizeF& imageSize)
{
    const qreal w = imageSize.width(), h = imageSize.height();
    if (w > 0 && h > 0 && std::isfinite(w) && std::isfinite(h))
        return { std::clamp(w * kHeight / h, 112.0, 320.0), kHeight };
    return { 176, kHeight };
}

QSize NotchThumbnail::sizeHint() const
{
    const QSizeF area = thumbnailSize(m_image.deviceIndependentSize());
    return QSize(int(std::ceil(area.width() + 2 * kPadding)), int(std::ceil(area.height() + 2 * kPadding)));
}

void NotchThumbnail::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF area = thumbnailSize(m_image.deviceIndependentSize());
    const QRectF rect(QPointF(kPadding, kPadding), area);
    const QPainterPath frame = continuousRoundedRect(rect, kCornerRadius);

    p.save();
    p.setClipPath(frame);
    p.fillRect(rect, Theme::rgb(0, 0, 0, 0.92));
    const qreal t = m_crossFade.state() == QAbstractAnimation::Running ? m_crossFade.currentValue().toReal() : 1.0;
    if (!m_fadingFrom.isNull() && t < 1.0) {
        p.setOpacity(1.0 - t);
        drawFilling(p, m_fadingFrom, rect);
    }
    p.setOpacity(t);
    drawFilling(p, m_image, rect);
    p.restore();

    p.setPen(QPen(Theme::rgb(255, 255, 255, 0.08), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(continuousRoundedRect(rect.adjusted(0.25, 0.25, -0.25, -0.25), kCornerRadius));
}

void NotchThumbnail::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_pressPos = event->position().toPoint();
    }
}

void NotchThumbnail::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressed || !(event->buttons() & Qt::LeftButton))
        return;
    if ((event->position().toPoint() - m_pressPos).manhattanLength() < QApplication::startDragDistance())
        return;
    m_pressed = false;
    startDrag();
}

void NotchThumbnail::startDrag()
{
    if (!m_controller)
        return;
    QPointer<NotchController> controller = m_controller;
    QPointer<NotchThumbnail> self(this);
    controller->dragStarted();
    QMimeData* item = controller->dragItemProvider();
    if (!item->hasUrls()) {
        // No file to hand over (the controller has said why): no empty drag.
        delete item;
        controller->dragEnded();
        return;
    }
    // Parented to the controller: a new shot may replace this view while the drag runs.
    auto* drag = new QDrag(controller.data());
    drag->setMimeData(item);
    if (!m_image.isNull()) {
        const QSizeF area = thumbnailSize(m_image.deviceIndependentSize()) * 0.6;
        drag->setPixmap(QPixmap::fromImage(m_image.scaled(area.toSize() * devicePixelRatioF(), Qt::KeepAspectRatio,
            Qt::SmoothTransformation)));
    }
    drag->exec(Qt::CopyAction);
    drag->deleteLater();
    if (!controller)
        return;
    controller->dragEnded();
    // Dropped back on the card: the hover hold goes on.
    if (self && self->parentWidget() && self->parentWidget()->rect().contains(self->parentWidget()->mapFromGlobal(QCursor::pos())))
        controller->cancelDismiss();
}
