#pragma once

#include <QImage>
#include <QList>
#include <QPointF>
#include <QRect>

#include <functional>

// Finds the lines of text in a screenshot without knowing its colours: ink is whatever differs
// from the flat background around it, so dark-on-light, light-on-dark and coloured text are all
// found the same way. A visual row whose words stand far apart (columns, table cells, a label and
// its field) gives one line per group.
struct TextLineBox {
    QRect box;        // the ink of the line, in pixels of the page
    int height = 0;   // typical glyph height, for scaling
};

// `page` must be Format_RGB32. `parallelFor(n, body)` runs body(i) for i in [0, n), possibly on
// several threads; the default runs them in turn. Lines come in reading order.
QList<TextLineBox> findTextLines(const QImage& page,
    const std::function<void(int, const std::function<void(int)>&)>& parallelFor = {});

// The page with grain smoothed away when it has any (text over a photo, a wallpaper, a noisy or
// re-compressed shot): on a grainy page every pixel differs from its neighbours and no background
// looks flat. A clean page comes back as it is. `page` must be Format_RGB32.
QImage smoothGrain(const QImage& page,
    const std::function<void(int, const std::function<void(int)>&)>& parallelFor = {});
// How grainy the page is: the median step between neighbouring pixels (0 on a drawn screenshot).
int grainLevel(const QImage& page);

// The line's pixels as Tesseract reads best: grey, dark text on white, the local contrast
// stretched, scaled so that its glyphs are about `targetHeight` pixels tall, with a white margin
// of `padding` pixels. Differences from the background up to `noiseFloor` count as none (grain).
// A point p of the image lies at origin + p / scale on the page.
struct LineImage {
    QImage image; // Format_Grayscale8
    double scale = 1;
    QPointF origin;
};
LineImage lineImageForRecognition(const QImage& page, const TextLineBox& line, int targetHeight, int padding,
    int noiseFloor = 0);
