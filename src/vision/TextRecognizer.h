#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

// One line of recognised text. Geometry is in fractions 0 to 1 of the image, origin at the top
// left. `charBoxes` holds one rectangle per UTF-16 unit of `text`; a unit without ink of its own
// (the blank between two words) has an empty rectangle.
// `inkAtLeftEdge` and `inkAtRightEdge` say whether ink lies in the image's outermost pixel
// columns within the line's rows: a glyph there is cut by the edge, while text that merely starts
// a border's width in (a terminal in a window shot) is whole.
struct RecognizedLine {
    QString text;
    QRectF box;
    QList<QRectF> charBoxes;
    bool inkAtLeftEdge = false;
    bool inkAtRightEdge = false;

    bool operator==(const RecognizedLine& other) const = default;
};

// What one recognition gives: the lines in reading order, or a failure. A failure is not the same
// as an image without text: `ok` is false and `error` says why.
struct TextRecognition {
    bool ok = true;
    QString error;
    QList<RecognizedLine> lines;

    static TextRecognition failure(const QString& why) { return { false, why, {} }; }
};

// On-device text recognition. `recognize` blocks and must not run on the main thread; it is safe
// to call from several threads at once.
class TextRecognizer {
public:
    virtual ~TextRecognizer();

    virtual TextRecognition recognize(const QImage& image) = 0;

    // Prepares the engines so that the first recognition does not pay for loading them. Blocks;
    // the default does nothing.
    virtual void warmUp();
    // Starts loading that many engines (0: as many as recognition uses) and returns at once.
    // The default does nothing.
    virtual void warmUpInBackground(int engines = 0);
    // Frees every warm engine but one; the next recognition loads the others again. For long
    // quiet spells in the tray. The default does nothing.
    virtual void releaseSpareEngines();

    // The process-wide recogniser: warm Tesseract engines, one per core, used in parallel.
    static TextRecognizer& shared();
    // Starts loading one engine of the shared recogniser on a background thread and returns at
    // once; call it from the main thread at application start. The others load when the first
    // shot arrives: each holds about ten megabytes, too much to keep for a shot that may not come.
    static void warmUpSharedInBackground();
};

// Logs "text recognition failed: <why>", unless the last failure logged gave the same reason and
// no recognition has succeeded since: a missing model is said once (when the first engine loads
// at start), not once a shot. Any thread.
void logRecognitionFailure(const QString& why);
// A recognition ran: the next failure is logged again, whatever its reason.
void noteRecognitionSucceeded();
