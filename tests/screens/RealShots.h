#pragma once

#include "screens/ScreenshotGenerator.h"

#include <QString>
#include <QStringList>

// Screenshots drawn by real programs (headless Chromium, xterm, rxvt-unicode, st), rendered by
// scripts/render-real-shots and kept under tests/data/real-shots/<split>/ as NAME.png beside
// NAME.layout.json: runs of drawn text (a line of a block, a terminal row, cut at three blanks),
// each with its top, height and the left edges of its characters in image pixels.
// The truth is made here: cells are tightened to their ink, and what the detector's patterns find
// in each run is planted, as for the generated shots; of a match that the shot's side edge cuts,
// what shows goes to `cut`.
struct RealShot {
    GeneratedShot shot;
    QString renderer; // "chromium", "xterm", "urxvt", "st", "mlterm", "alacritty", "kitty", "sakura", "qterminal"
    QString theme;    // "light", "dark"
    qreal scale = 1;
    QString face;
    QString png;      // the image file, for the command-line tool
};

// The folder holding the splits ("tuning", "evaluation", "heldout", "heldout-b", "heldout-c", "heldout-d", "heldout-e", "heldout-f").
QString realShotsFolder();
// The layout files of a split, sorted by name; empty when the split is missing.
QStringList realShotLayouts(const QString& split);
// Loads one shot from its layout file; a shot with a null image when either file is unreadable.
RealShot loadRealShot(const QString& layoutPath);
