#pragma once

#include "model/BeautifySettings.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

// Every size of a styled canvas, in canvas points. One pure function computes it so that the
// on-screen canvas, the editor stage and every renderer agree on the geometry.
struct CanvasLayout {
    double canvasWidth = 0;
    double canvasHeight = 0;
    double imageWidth = 0;      // the shown (cropped) part of the screenshot
    double imageHeight = 0;
    double fullWidth = 0;       // the whole screenshot at the canvas scale, before cropping
    double fullHeight = 0;
    QRectF crop { 0, 0, 1, 1 }; // the crop in use, fractions of the image
    double titleBarHeight = 0;  // 0 without a window frame
    double padding = 0;         // before any aspect-ratio widening

    QSizeF canvasSize() const { return { canvasWidth, canvasHeight }; }
    // Width and height of the card: the shown image with its title bar.
    QSizeF cardSize() const { return { imageWidth, imageHeight + titleBarHeight }; }

    bool operator==(const CanvasLayout& other) const = default;
};

// `imageSize` is in points (device-independent pixels). A size with a side that is not positive
// (or not finite) is laid out as 1200 x 800.
CanvasLayout canvasLayout(QSizeF imageSize, const BeautifySettings& settings);
CanvasLayout canvasLayout(const QImage& image, const BeautifySettings& settings);

// Where the card sits: the canvas centre while `balance` is on, else moved by `shotOffset`
// (fractions of the canvas size). In canvas points.
QPointF cardCenter(const CanvasLayout& layout, const BeautifySettings& settings);
// The card (title bar and shown image) in canvas points.
QRectF cardRect(const CanvasLayout& layout, const BeautifySettings& settings);
// The shown image below the title bar, in canvas points.
QRectF imageRect(const CanvasLayout& layout, const BeautifySettings& settings);
// The same two rectangles as fractions of the canvas (what annotations and the editor use).
QRectF shotRectNorm(const CanvasLayout& layout, const BeautifySettings& settings);
QRectF imageRectNorm(const CanvasLayout& layout, const BeautifySettings& settings);
