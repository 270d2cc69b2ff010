#pragma once

#include "screens/ScreenshotGenerator.h"

#include <QList>
#include <QString>

// Plain pages of lines in one face, for focused tests of what the detector finds in particular
// texts: each line at the page's margin, or pushed past its left or right edge.
struct SheetLine {
    QString text;
    // Characters at the start (or end) that do not show whole: the edge crosses the innermost of
    // them in its middle.
    int cutLeft = 0;
    int cutRight = 0;
};

struct SheetRecipe {
    QString family;
    int pixelSize = 15; // logical pixels
    qreal scale = 1;
    ShotTheme theme = ShotTheme::light;
    int width = 900;    // logical pixels
    QList<SheetLine> lines;
};

// The truth as for the generated shots: what the patterns find in each line that shows whole is
// planted; of a match the edge cuts, what shows goes to `cut`.
GeneratedShot generateSheet(const SheetRecipe& recipe);

// "DejaVu Sans Mono-15-2x-dark".
QString sheetName(const SheetRecipe& recipe);
