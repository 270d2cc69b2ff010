#pragma once

#include "model/Annotation.h"

#include <QFont>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRectF>
#include <QSizeF>

// The annotations of a shot, drawn over the whole canvas. Every position is a fraction of the
// canvas, and every width, size and radius is scaled from the canvas size, so the same marks
// look the same in the editor, the panel and a 2x export.

// A straight segment between two points in layer coordinates.
struct LineShape {
    QPointF from;
    QPointF to;
    QPainterPath path() const;
};

// A shaft and an outlined (closed, stroked) triangular head whose tip is `to`.
struct ArrowShape {
    QPointF from;
    QPointF to;
    double headLength = 10;
    QPainterPath path() const;
};

// Stroke width in layer units: lineWidthFraction three-hundredths of the shorter side, at least 1.
double annotationLineWidth(double lineWidthFraction, QSizeF canvas);
// The stroke style of pens, arrows, lines, boxes and ellipses: round caps and joins, dashed
// 2.6 on / 2.0 off (in line widths) when `dashed` is set.
QPen annotationPen(const Annotation& annotation, QSizeF canvas);
// Text size in layer units: fontFraction of the canvas height, at least 8.
double annotationFontSize(double fontFraction, QSizeF canvas);
// The face text marks are drawn in (family and weight; its size is the layout's, set your own).
QFont annotationTextFace(const Annotation& annotation);
// The outline of a text mark, centred on its anchor (an empty text has a space's height).
QPainterPath annotationTextPath(const Annotation& annotation, const QRectF& canvasRect);

// Draws one annotation that is not a highlight (highlights draw nothing here).
void paintAnnotation(QPainter& painter, const QRectF& canvasRect, const Annotation& annotation);

// Draws the highlights together: the dimmed region (the screenshot at `imageRect`, fractions of
// the canvas, with `imageCornerRadius`; the whole canvas when any highlight asks for it) with
// a clear rounded window at each highlight, then each window's outline.
void paintHighlights(QPainter& painter, const QRectF& canvasRect, const QList<Annotation>& highlights,
    const QRectF& imageRect, double imageCornerRadius);

// The whole layer over `canvasRect`: every other annotation in list order, then the highlights
// above them all.
void paintAnnotations(QPainter& painter, const QRectF& canvasRect, const QList<Annotation>& annotations,
    const QRectF& imageRect, double imageCornerRadius);
