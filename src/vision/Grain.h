#pragma once

#include <QImage>

#include <functional>

// The page with grain smoothed away where it has any (text over a photo, a wallpaper, a noisy or
// re-compressed shot): on a grainy page every pixel differs from its neighbours and no background
// looks flat. Flat parts stay as they are; a clean page comes back as it is. `page` must be
// Format_RGB32.
QImage smoothGrain(const QImage& page,
    const std::function<void(int, const std::function<void(int)>&)>& parallelFor = {});
// How grainy the page (or an area of it) is: the median step between neighbouring pixels (0 on a
// drawn screenshot).
int grainLevel(const QImage& page, const QRect& area = {});
