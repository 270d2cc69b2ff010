#pragma once

#include "model/Annotation.h"
#include "model/BeautifySettings.h"
#include "model/WatermarkConfig.h"
#include "platform/ColorScheme.h"
#include "render/CanvasLayout.h"

#include <QImage>
#include <QList>
#include <QRectF>

#include <optional>

class QPainter;

// Everything a styled canvas shows: the uncropped screenshot, its style, the marks drawn over the
// canvas, the areas of the image to hide (fractions of the image) and the watermark.
struct CanvasContent {
    QImage image;
    BeautifySettings settings;
    QList<Annotation> annotations;
    QList<QRectF> redactionRects;
    WatermarkConfig watermark;

    bool operator==(const CanvasContent& other) const = default;
};

// What only the on-screen canvas adds: the checkerboard behind a `none` background (renders keep
// it transparent) and the state of its two animations.
struct CanvasPaintOptions {
    bool showCheckerboard = false;
    ColorScheme scheme = ColorScheme::light;
    // Background cross-fade: the preset fading out while the current one fades in (0 to 1).
    std::optional<BackgroundPreset> fadingBackground;
    double backgroundProgress = 1;
    // Watermark move: the corner it leaves and how far it has come (0 to 1, may overshoot).
    std::optional<WatermarkPosition> watermarkFrom;
    double watermarkProgress = 1;
};

// Paints the styled canvas into the rectangle (0, 0, canvasWidth, canvasHeight) of the painter's
// coordinates (canvas points; the caller's transform sets the pixels per point), clipped to it:
// background, the card (shadows, frame, title bar, the cropped and flipped screenshot with its
// redactions, border), the annotations and the watermark. The one painter of the canvas, used by
// the on-screen widget and by every render, so the two never differ. Main thread only (it reaches
// the background-removal and censor caches). False when the card could not be drawn (no memory
// for its layer): a render must then fail rather than go out without the screenshot.
//
// A render may be painted in two steps: the backdrop (the background and the card's shadows,
// which depend only on the shot and its style, not on hidden areas, marks or the watermark), then
// everything over it on a copy of those pixels; the two give exactly what one pass gives.
enum class CanvasParts { all, backdrop, overBackdrop };
bool paintBeautifiedCanvas(QPainter& painter, const CanvasContent& content, const CanvasPaintOptions& options = {},
    CanvasParts parts = CanvasParts::all);

// Where the bars hiding `content.redactionRects` lie on the canvas, one bounding rectangle per bar
// in canvas points, within the shown part of the shot: a render that differs from another only
// in what it hides differs only there.
QList<QRectF> redactionBarBounds(const CanvasContent& content);

// The neutral domain an empty address bar shows (and the address field offers as its hint).
QString placeholderDomain();

// Where the watermark capsule sits for a corner, in canvas points; empty when the style shows no
// watermark.
QRectF watermarkRect(const CanvasContent& content, const CanvasLayout& layout, WatermarkPosition position);

// Drops the reduced copies of shots kept for repaints.
void releaseReducedShots();
