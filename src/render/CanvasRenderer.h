#pragma once

#include "model/Annotation.h"
#include "model/BeautifySettings.h"
#include "model/WatermarkConfig.h"
#include "render/CanvasLayout.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QSize>

#include <optional>

// Target pixel widths of the eight social-platform aspect ratios; no value for the others.
std::optional<int> socialTargetWidth(AspectRatioOption option);

// Pixels per canvas point for every render of the canvas: a social platform's target width
// divided by the canvas width, else 2.
double renderScale(const QImage& image, const BeautifySettings& settings);
double renderScale(const CanvasLayout& layout, const BeautifySettings& settings);

// Stored styles are not clamped, so a render could ask for any size: above this many pixels it
// fails instead of allocating.
constexpr qint64 kMaxRenderPixels = 100'000'000;

// The pixel size of a render of `layout` at `scale`, or no value (with one log line) when it is
// empty, not finite or over the cap.
std::optional<QSize> renderPixelSize(const CanvasLayout& layout, double scale);

// The styled canvas as an image: `renderScale` pixels per point (so social sizes come out at their
// target widths), device pixel ratio set to that scale so the image keeps the canvas's point
// size. Opaque (no alpha channel) unless the background is `none`, whose render stays
// transparent around the card. A null image when the render is over the size cap or cannot be
// allocated. Main thread only.
QImage renderCanvasImage(const QImage& image, const BeautifySettings& settings, const QList<Annotation>& annotations,
    const QList<QRectF>& redactionRects, const WatermarkConfig& watermark);
// Paints and keeps the backdrop of a render of `image` in `settings` (see CanvasParts), which a
// following render of the same image in the same style, whatever it hides, starts from instead of
// painting it again. The first render over it that hides nothing and carries no marks is kept too:
// a later one that only hides something is that render painted again under its bars (alike to one
// level per channel). One of each is kept; releaseCanvasBackdrop() lets both go. Main thread only.
void prepareCanvasBackdrop(const QImage& image, const BeautifySettings& settings);
void releaseCanvasBackdrop();

// The same render as PNG data; empty when rendering or encoding fails.
QByteArray renderCanvasPNG(const QImage& image, const BeautifySettings& settings, const QList<Annotation>& annotations,
    const QList<QRectF>& redactionRects, const WatermarkConfig& watermark);
// With the current watermark configuration.
QByteArray renderCanvasPNG(const QImage& image, const BeautifySettings& settings, const QList<Annotation>& annotations,
    const QList<QRectF>& redactionRects);
