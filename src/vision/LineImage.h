#pragma once

#include "vision/TextLineFinder.h"

#include <QImage>
#include <QList>
#include <QPointF>

// The line's pixels as Tesseract reads best: grey, dark text on white, the local contrast
// stretched, scaled so that its glyphs are about `targetHeight` pixels tall, with a white margin
// of `padding` pixels, but never enlarged more than `maxScale` times. Differences from the
// background up to `noiseFloor` count as none (grain).
// A point p of the image lies at origin + p / scale on the page.
struct LineImage {
    QImage image; // Format_Grayscale8
    double scale = 1;
    QPointF origin;
    // Page x positions where the line passes from one fill to another of another colour (a badge
    // and the page beside it, two highlighted cells).
    QList<double> fillEdges;
};
LineImage lineImageForRecognition(const QImage& page, const TextLineBox& line, int targetHeight, int padding,
    int noiseFloor = 0, double maxScale = 4.0);
