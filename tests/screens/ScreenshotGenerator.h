#pragma once

#include "model/RedactionKind.h"

#include <QFontMetricsF>
#include <QImage>
#include <QJsonObject>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

// Synthetic screenshots with known text, for tests, benchmarks and the detection evaluation.
// Each shot is painted with QPainter like a real desktop window (mail, terminal, settings form,
// chat, code editor, table, web page) in a light or dark theme at 1x or 2x, with sensitive items
// planted among distractors. The ground truth is what the detector's patterns find in the text as
// drawn, one drawn run (a line, a cell, a field) at a time.

enum class ShotLayout { mail, terminal, settings, chat, code, table, web, log, desktop, dashboard };
enum class ShotTheme { light, dark };

struct ShotRecipe {
    ShotLayout layout = ShotLayout::mail;
    ShotTheme theme = ShotTheme::light;
    qreal scale = 1;               // device pixels per logical pixel (any zoom, not only 1x and 2x)
    QString family;                // UI font family; empty picks one from the seed
    QString mono;                  // monospaced family; empty picks one from the seed
    quint32 seed = 1;
    QSize logicalSize { 1280, 800 };
    bool dense = false;            // fill every pane with text (benchmarks)
    // Tinted and gradient panels, other terminal and editor themes, sub-pixel placement.
    bool varied = false;
    int jpegQuality = 0;           // 1 to 100: the shot went through JPEG at this quality
};

// One drawn run of text and its box in image pixels.
struct TruthText {
    QString text;
    QRect box;
};

// One item the detector should find: its kind, the matched text and its box in image pixels.
struct PlantedItem {
    RedactionKind kind;
    QString text;
    QRect box;
    QList<QRect> glyphs; // the ink of each character but blanks, in image pixels
};

struct GeneratedShot {
    QString name;
    QImage image;
    QList<TruthText> texts;
    QList<PlantedItem> planted;
    // Items the image's left or right edge cuts: what shows of each (the characters that show
    // whole, and the ink of those and of the one the edge cuts in two, within the image).
    QList<PlantedItem> cut;
};

GeneratedShot generateShot(const ShotRecipe& recipe);

// The ink box of each character of `text` drawn with `metrics` from `origin` (the left end of its
// baseline, image pixels); a null box for blanks.
QList<QRect> glyphBoxes(const QString& text, const QFontMetricsF& metrics, QPointF origin);
// The items the detector's patterns find in `text` so drawn, each with its box and glyphs.
QList<PlantedItem> itemsDrawn(const QString& text, const QFontMetricsF& metrics, QPointF origin);

// A stable name for a recipe, usable as a file name ("mail-dark-2x-s3").
QString shotName(const ShotRecipe& recipe);

// The fixed set the unit tests read: the first seven layouts in both themes at 1x and 2x.
QList<ShotRecipe> standardShotRecipes();

// The set the recogniser is tuned on: the standard set and varied shots (zooms giving glyphs of 9
// to 32 pixels, tinted panels, dark terminals and editors, logs, desktops, JPEG) in the tuning
// fonts.
QList<ShotRecipe> tuningShotRecipes();
// The held-out set, never tuned on: other seeds, other fonts (among them monospaced fonts with
// dotted and slashed zeros), zooms and a layout the tuning set lacks.
QList<ShotRecipe> evaluationShotRecipes();
// Shots to try a change on before the held-out sets see it: every layout, the tuning fonts, seeds of
// their own.
QList<ShotRecipe> developmentShotRecipes();

// Uniform grain of +-amplitude per channel, the same for the same seed (text over a photo or a
// re-compressed shot).
QImage withGrain(const QImage& image, int amplitude, quint32 seed);

// A dense 2880x1800 (2x) shot full of text, with planted e-mail addresses and API keys among
// the other kinds: the benchmark's page.
ShotRecipe denseShotRecipe();

// {"name", "width", "height", "planted": [{"kind", "text", "x", "y", "w", "h"}], "texts": [...]}
QJsonObject truthJson(const GeneratedShot& shot);

// Whether a detection box (image pixels) lies over a planted item: it covers most of the item's
// width and overlaps its height, without being much taller than a few lines of it.
bool boxCoversItem(const QRectF& detection, const QRect& item);

// A detection result held against a shot's truth: the planted items found and missed, and the
// detections (in image pixels) over no planted item of their kind. Of the items the edge cuts,
// those that show enough to be worth hiding (`worthHiding`) are found or missed apart; a detection
// over any of them is no false one.
struct DetectionScore {
    QList<PlantedItem> found, missed;
    QList<std::pair<RedactionKind, QRectF>> falseDetections;
    QList<PlantedItem> cutFound, cutMissed;
};
// What shows of a cut item is worth hiding: eight digits of a card, seven of a phone number, two
// groups of an IP address with the dot between, eight characters of a key, an address's @ with its
// name or its host.
bool worthHiding(const PlantedItem& cutItem);
DetectionScore scoreDetections(const GeneratedShot& shot, const DetectionResult& result);

// The glyphs of a planted item that no detection box of its kind (image pixels) covers whole
// with `margin` pixels to spare: a readable first or last character leaks the secret.
QList<QRect> uncoveredGlyphs(const GeneratedShot& shot, const PlantedItem& item, const DetectionResult& result,
    int margin = 1);
