#pragma once

#include "model/Annotation.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <array>
#include <optional>

class EditorDocument;

// The editing layer works in three spaces at once: view points (the pointer, handles, the 5 pt
// click threshold), canvas-normalised fractions (annotations, the screenshot's rectangle, every
// tolerance) and image-normalised fractions of the uncropped image (hand-drawn redactions, the
// crop). The normalised spaces are not isotropic; distances are taken as they are. The image
// space is the shot's own: where the shown image is mirrored, so is everything mapped to it.

// The handles of a rectangle, then the two ends of an arrow or line.
enum class ResizeHandle { topLeft, top, topRight, left, right, bottomLeft, bottom, bottomRight, startPoint, endPoint };
// The crop rectangle's handles; `inside` grabs the whole rectangle.
enum class CropHandle { topLeft, top, topRight, left, right, bottomLeft, bottom, bottomRight, inside };

inline constexpr std::array<ResizeHandle, 10> allResizeHandles { ResizeHandle::topLeft, ResizeHandle::top,
    ResizeHandle::topRight, ResizeHandle::left, ResizeHandle::right, ResizeHandle::bottomLeft, ResizeHandle::bottom,
    ResizeHandle::bottomRight, ResizeHandle::startPoint, ResizeHandle::endPoint };
inline constexpr std::array<CropHandle, 9> allCropHandles { CropHandle::topLeft, CropHandle::top, CropHandle::topRight,
    CropHandle::left, CropHandle::right, CropHandle::bottomLeft, CropHandle::bottom, CropHandle::bottomRight,
    CropHandle::inside };

// Where the layer sits and what it shows, as the canvas stage sets it.
struct EditingFrame {
    QSizeF displaySize;                 // the layer's size in points
    QRectF shotRectNorm;                // the screenshot with its title bar, canvas-normalised
    QRectF imageRectNorm { 0, 0, 1, 1 }; // the shown (cropped) image, canvas-normalised
    QRectF crop { 0, 0, 1, 1 };         // the part of the image shown there, image-normalised
    bool flipH = false;                 // the shown image is mirrored about its centre
    bool flipV = false;

    bool hasSize() const { return displaySize.width() > 0 && displaySize.height() > 0; }
    bool operator==(const EditingFrame&) const = default;
};

namespace EditingGeometry {

inline constexpr double handleTolerance = 0.03;
inline constexpr double cropHandleTolerance = 0.035;
inline constexpr double hitMargin = 0.015;
inline constexpr double minResizeSide = 0.02;
inline constexpr double minCropSide = 0.05;

// A pointer location in points to canvas fractions, each clamped to [0, 1]. A zero-sized layer,
// NaN or infinities never leak out: anything that is not a number becomes 0.
QPointF normalizedPoint(const EditingFrame& frame, QPointF viewPoint);
// A canvas point to the uncropped image; outside the shown image it lands on its border.
QPointF imagePointFromCanvas(const EditingFrame& frame, QPointF canvasPoint);
// An image rectangle to view points; nothing is clipped. Zero for an empty crop.
QRectF viewRectFromImageRect(const EditingFrame& frame, const QRectF& imageRect);
// The same rectangle in canvas fractions (unchanged points when the layer has no size).
QRectF canvasRectFromImageRect(const EditingFrame& frame, const QRectF& imageRect);
// The document's crop rectangle in canvas fractions.
QRectF cropRectInCanvas(const EditingFrame& frame, const QRectF& cropRect);

// A pointer displacement in canvas fractions as a displacement of a hand-drawn redaction, and as
// one of the crop rectangle; none while the shown image has no size.
std::optional<QPointF> manualRedactionDelta(const EditingFrame& frame, QPointF canvasDelta);
std::optional<QPointF> cropDelta(const EditingFrame& frame, QPointF canvasDelta);
// The handle of an image rectangle that a handle seen on the shown (maybe mirrored) image moves:
// on a shot flipped horizontally the left handle on screen is the rectangle's right one.
ResizeHandle imageHandle(const EditingFrame& frame, ResizeHandle handle);
CropHandle imageHandle(const EditingFrame& frame, CropHandle handle);

// Centre of a handle on a rectangle (`startPoint`/`endPoint` have none on a rectangle).
QPointF handlePosition(const QRectF& rect, ResizeHandle handle);
// The eight box handles of a rectangle, in drawing order.
std::array<QPointF, 8> boxHandlePoints(const QRectF& rect);

// Corners before edges, so a small rectangle's corners stay reachable.
std::optional<ResizeHandle> boxHandleAt(const QRectF& rect, QPointF point);
// The handle of the document's current selection under the point: an annotation's, else that
// of a hand-drawn redaction whose index is in range.
std::optional<ResizeHandle> resizeHandleAt(const EditingFrame& frame, const EditorDocument& document, QPointF point);
// Moves the edges the handle owns, within [0, 1] and never closer than 0.02.
QRectF resizedRect(ResizeHandle handle, const QRectF& rect, double dx, double dy);

std::optional<CropHandle> cropHandleAt(const EditingFrame& frame, const QRectF& cropRect, QPointF point);
// `inside` slides the rectangle within the image; a handle resizes it down to 0.05.
QRectF resizedCropRect(CropHandle handle, const QRectF& rect, double dx, double dy);

double distanceToSegment(QPointF point, QPointF a, QPointF b);
// User-perceived characters (grapheme clusters), so emoji and combining marks count once.
int characterCount(const QString& text);
bool hitTestAnnotation(const Annotation& annotation, QPointF point);
// The topmost (last drawn) annotation under the point.
std::optional<Annotation> hitAnnotation(const QList<Annotation>& annotations, QPointF point);

}
