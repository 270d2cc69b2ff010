#pragma once

#include "model/StyleOptions.h"
#include "render/CensorCache.h"

#include <QImage>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

// Hidden areas over the screenshot. `layerRect` is where the (uncropped) screenshot is drawn;
// each of `rects` is a fraction of it (origin top left). Every area is a bar with 3-point
// continuous corners showing the censored copy of the image in register with the screenshot
// below, or solid black for block style and whenever no censored copy can be made: an area is
// never left uncovered. Bars are anti-aliased fills, not hard clips.
//
// A shot with transparent pixels has a censored copy that is partly transparent too: under a
// bar it replaces the sharp shot instead of lying over it, shown over `underShot`, what lies
// under the screenshot where the painter paints (the window frame's fill; transparent when
// nothing does). So nothing of the shot's own ink remains under a bar.
void paintRedactions(QPainter& painter, const QRectF& layerRect, const QImage& image, const QList<QRectF>& rects,
    RedactStyle style, double intensity, CensorCache& cache = CensorCache::shared(),
    const QColor& underShot = Qt::transparent);

// The bars as one path (non-zero fill, so overlapping bars merge).
QPainterPath redactionBarsPath(const QRectF& layerRect, const QList<QRectF>& rects);
