#pragma once

#include "model/Annotation.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <array>

class QPainter;

// What the editing layer draws over the canvas and where its floating parts stand, in the layer's
// points. Pure placement arithmetic and painter functions, so the view, its tests and the
// picture tool share them.
namespace EditingOverlay {

inline constexpr double handleSide = 9;
inline constexpr double cropButtonSide = 30;
inline constexpr double cropButtonSpacing = 8;
inline constexpr double formatBarHeight = 40;

enum class CropAction { cancel, confirm };

// The dashed outline around the selected annotation (a text's box follows its character count),
// and around a hand-drawn redaction shown at `viewRect`.
QRectF annotationOutlineRect(const Annotation& annotation, QSizeF displaySize);
QRectF redactionOutlineRect(const QRectF& viewRect);
void paintSelectionOutline(QPainter& painter, const QRectF& rect);

// A white handle with an accent border, centred on `center`; the eight of a rectangle.
void paintResizeHandle(QPainter& painter, QPointF center);
void paintResizeHandles(QPainter& painter, const QRectF& rect);

// The drawn blur rectangle: material with a dashed accent border.
void paintBlurDraft(QPainter& painter, const QRectF& rect, bool dark);

// Dims all of `layerRect` outside the crop (even-odd), frames the crop and puts a plain white
// handle on each of `handlePoints`.
void paintCropOverlay(QPainter& painter, const QRectF& layerRect, const QRectF& cropRect,
    const std::array<QPointF, 8>& handlePoints);
// One crop button: the symbol on a coloured circle of 30 pt centred on `center`.
void paintCropActionButton(QPainter& painter, QPointF center, CropAction action, bool pressed = false);
// Centre of the two crop buttons: right-aligned with the crop and above it, inside it when its
// top is too near the layer's top. Never NaN.
QPointF cropButtonsCenter(const QRectF& cropRect, QSizeF displaySize);

// Centre of the selected annotation's format bar: above the annotation, below it near the top.
QPointF formatBarCenter(const Annotation& annotation, QSizeF displaySize);
// The material panel of a format bar (rounded 12, hairline border) filling `rect`, and its soft
// shadow, which reaches formatBarShadowMargin() beyond it.
void paintFormatBarPanel(QPainter& painter, const QRectF& rect, bool dark);
void paintFormatBarShadow(QPainter& painter, const QRectF& rect);
// Room the panel's shadow needs around it.
double formatBarShadowMargin();

}
