#include "render/DevicePixels.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>

QRect reachableDeviceRect(const QPainter& painter)
{
    if (!painter.device())
        return {};
    const QTransform toDevice = painter.deviceTransform();
    QRect reach = deviceCoverage(painter);
    if (const QPaintEngine* engine = painter.paintEngine()) {
        const QRegion exposed = engine->systemClip();
        if (!exposed.isEmpty())
            reach &= exposed.boundingRect();
    }
    if (painter.hasClipping())
        reach &= toDevice.mapRect(painter.clipBoundingRect()).toAlignedRect().adjusted(-1, -1, 1, 1);
    return reach;
}

QRect deviceCoverage(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    if (!device)
        return {};
    // What lies under the world transform: pixel ratio and redirection offset.
    const QTransform below = painter.worldTransform().inverted() * painter.deviceTransform();
    return below.mapRect(QRectF(0, 0, device->width(), device->height())).toAlignedRect();
}

void drawDeviceImage(QPainter& painter, const QImage& image, QPoint at)
{
    painter.save();
    painter.setWorldTransform(QTransform::fromTranslate(at.x(), at.y()) * painter.deviceTransform().inverted()
        * painter.worldTransform());
    painter.drawImage(QPointF(0, 0), image);
    painter.restore();
}
