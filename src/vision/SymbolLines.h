#pragma once

#include "vision/LineImage.h"
#include "vision/TextRecognizer.h"

#include <QList>
#include <QRectF>
#include <QString>

#include <vector>

namespace tesseract {
class TessBaseAPI;
}

// One recognised character, in page pixels.
struct Symbol {
    QString text;
    QRectF box;
    bool startsWord = false;
    float confidence = 100; // the engine's, in percent
};

// The symbols of the engine's last recognition of `line`, in page pixels.
std::vector<Symbol> readSymbols(tesseract::TessBaseAPI& api, const LineImage& line);

// Symbols to lines. Blanks follow the pixels of `image`, not the engine, which puts blanks into
// long tokens and drops them between columns: no blank where the ink runs on, a blank where it
// stops for about a character, and a new line where it stops for much longer (a label and its
// field, neighbouring cells). Look-alike characters are mended. Each character's box reaches the
// ink of its glyph, which the engine's box may fall short of. Geometry in fractions of `page`.
QList<RecognizedLine> assembleLines(const std::vector<Symbol>& symbols, const LineImage& image,
    const TextLineBox& lineBox, QSizeF page);

// Whether the blank at `at`, beside a thin glyph ('1', 'l', 'I'), splits an address, a dotted
// number or a phone number that dropping it would make whole ("10.206.1 17.122").
bool blankSplitsAddressOrNumber(const QString& text, qsizetype at);
