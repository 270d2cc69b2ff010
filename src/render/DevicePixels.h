#pragma once

#include <QPoint>
#include <QRect>

class QImage;
class QPainter;

// Painting in device pixels. A painter's device transform holds more than its world transform:
// the pixel ratio and, for a child widget, its offset in the window's backing store. Images made
// for exact device pixels are placed by cancelling exactly that, never by resetting the
// transform.

// The device pixels the painter can reach: its device, the exposed area it was opened for (a
// widget's paint event) and its own clip, in device coordinates. Work beyond it is wasted.
QRect reachableDeviceRect(const QPainter& painter);

// The device pixels the painter's whole device covers, whatever the clip or exposed area.
QRect deviceCoverage(const QPainter& painter);

// Draws `image` 1:1 with its top-left pixel at `at`, in device coordinates.
void drawDeviceImage(QPainter& painter, const QImage& image, QPoint at);
