#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

// One line of recognised text. Geometry is in fractions 0 to 1 of the image, origin at the top
// left. `charBoxes` holds one rectangle per UTF-16 unit of `text`; a unit without ink of its own
// (the blank between two words) has an empty rectangle.
struct RecognizedLine {
    QString text;
    QRectF box;
    QList<QRectF> charBoxes;

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

    // The process-wide recogniser: warm Tesseract engines, one per core, used in parallel.
    static TextRecognizer& shared();
    // Starts warming the shared recogniser on a background thread and returns at once; call it
    // from the main thread at application start.
    static void warmUpSharedInBackground();
};
