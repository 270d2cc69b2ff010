#pragma once

#include "model/BackgroundPreset.h"

#include <QImage>

#include <optional>

// A dominant hue (fraction of the colour circle, 0 red, 1/3 green, 2/3 blue) and a saturation.
struct ColorStats {
    double hue = 0;
    double saturation = 0;
};

// Hue and saturation of one colour with channels 0 to 1 (ties resolve red first, then green).
ColorStats hueSaturation(double r, double g, double b);

// The screenshot reduced to 24 x 24 pixels: the saturation-weighted circular mean hue and a
// mean saturation. No value for an image that cannot be drawn.
std::optional<ColorStats> sampleImageColors(const QImage& image);

// The same two numbers for a preset's mesh colours; (0, 0) without a mesh.
ColorStats meanHue(BackgroundPreset preset);

// The gradient preset whose hue (same or opposite) and saturation best suit the screenshot.
BackgroundPreset chooseAutoBackground(const QImage& image);
