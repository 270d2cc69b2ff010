#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>

// Device pixels are those of deviceTransform(): besides the world transform it holds what the
// painter adds beneath it (the pixel ratio, and a child widget's offset in its window). Images
// rendered for exact device pixels must be laid down by cancelling exactly that, or a canvas
// shown in a child widget lands shifted by the widget's offset.

// Draws `image` 1:1 with its top-left pixel on device pixel `topLeft`.
inline void drawImageAtDevicePixel(QPainter& painter, QPoint topLeft, const QImage& image)
{
    painter.save();
    painter.setWorldTransform(QTransform());
    const QTransform base = painter.deviceTransform();
    painter.setWorldTransform(QTransform::fromTranslate(topLeft.x(), topLeft.y()) * base.inverted());
    painter.drawImage(QPointF(0, 0), image);
    painter.restore();
}

// The device pixels the painter's own device covers.
inline QRect deviceCoverage(QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    if (!device)
        return {};
    painter.save();
    painter.setWorldTransform(QTransform());
    const double dpr = device->devicePixelRatio();
    // Widths may be logical or physical by device type; take the larger reading, it only bounds.
    const QRectF own(0, 0, device->width() * dpr, device->height() * dpr);
    const QRect covered = painter.deviceTransform().mapRect(own).toAlignedRect();
    painter.restore();
    return covered;
}
