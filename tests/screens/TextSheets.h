#pragma once

#include "screens/ScreenshotGenerator.h"
#include "vision/TextRecognizer.h"

#include <QList>
#include <QString>

// Plain pages of lines in one face, for focused tests of what the detector finds in particular
// texts: each line at the page's left or right margin, or pushed past its left or right edge.
struct SheetLine {
    QString text;
    // Characters at the start (or end) that do not show whole: the edge crosses the innermost of
    // them in its middle.
    int cutLeft = 0;
    int cutRight = 0;
    // A line that shows whole ends at the right margin rather than starting at the left one.
    bool alignRight = false;
};

struct SheetRecipe {
    QString family;
    int pixelSize = 15; // logical pixels
    qreal scale = 1;
    ShotTheme theme = ShotTheme::light;
    int width = 900;    // logical pixels
    QList<SheetLine> lines;
    // Image pixels between the edges and the text that shows whole: a terminal window shot's
    // border; 0 keeps a page's margin.
    int border = 0;
    // From one line's baseline to the next, in line heights: a terminal's rows follow closely.
    qreal lineSpacing = 1.8;
};

// The truth as for the generated shots: what the patterns find in each line that shows whole is
// planted; of a match the edge cuts, what shows goes to `cut`.
GeneratedShot generateSheet(const SheetRecipe& recipe);

// "DejaVu Sans Mono-15-2x-dark".
QString sheetName(const SheetRecipe& recipe);

// What the recogniser read in the lines over an area of the image (in pixels), for a failure's message.
QString readOver(const TextRecognition& r, const QRectF& pixels, QSizeF size);
