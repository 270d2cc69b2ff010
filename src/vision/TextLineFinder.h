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
