#pragma once

#include "model/RedactionKind.h"
#include "vision/TextRecognizer.h"

#include <QList>

// What shows of a card number, key or address that the image's left or right edge cuts: the
// token at the line's end that reaches the edge (the recogniser's boxes are fractions of the
// image, so the edge is 0 or 1) and holds the head or the tail of one. `start` and `length` span
// the token with whatever the engine read for the glyph the edge cuts in two.
struct EdgeCutToken {
    RedactionKind kind;
    qsizetype start = 0;
    qsizetype length = 0;
    bool leftEdge = true;

    bool operator==(const EdgeCutToken& other) const = default;
};

// At most one token per edge: eight digits or more of a card's (with its blanks or hyphens), a
// local part with its @ (right edge) or an @ with its host (left edge), or eight characters or
// more of a key's body (letters with digits, or mixed case, or a key's prefix). A token that does
// not reach the edge is no head or tail, however it reads.
QList<EdgeCutToken> findEdgeCutTokens(const RecognizedLine& line);
