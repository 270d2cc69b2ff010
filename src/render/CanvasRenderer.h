#pragma once

#include "model/BeautifySettings.h"
#include "render/CanvasLayout.h"

#include <QImage>
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
