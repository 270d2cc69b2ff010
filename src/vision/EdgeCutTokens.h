#pragma once

#include "model/RedactionKind.h"
#include "vision/TextRecognizer.h"

#include <QList>

// What shows of a card number, phone number, IP address, key or address that the image's left or
// right edge cuts: the token at the line's end, next to ink that reaches the edge (the line's
// inkAtLeftEdge or inkAtRightEdge), that holds the head or the tail of one. `start` and `length`
// span the token with whatever the engine read for the glyph the edge cuts in two.
struct EdgeCutToken {
    RedactionKind kind;
    qsizetype start = 0;
    qsizetype length = 0;
    bool leftEdge = true;

    bool operator==(const EdgeCutToken& other) const = default;
};

// Whether the image's left and right edges cut through text: the ink of a line's outermost glyph
// reaches them. A window shot's border cuts nothing; a crop through a page cuts its lines.
struct TextCutByEdges {
    bool left = false;
    bool right = false;
};
TextCutByEdges textCutByEdges(const QList<RecognizedLine>& lines);

// At most one token per edge: eight digits or more of a card's (with its blanks or hyphens), six
// of a phone number's, two groups of an IP address with a dot between, a local part with its @
// (right edge) or an @ with its host (left edge), or eight characters or more of a key's body
// (letters with digits, mixed case, a run of consonants no word has, or a key's prefix). Glyphs
// that stand whole off the edge, however near (a terminal's text a border's width in), are no
// head or tail, however they read; unless the edge cuts through other lines of the image
// (`image`), where it may as well have fallen between two glyphs of this one.
QList<EdgeCutToken> findEdgeCutTokens(const RecognizedLine& line, TextCutByEdges image = {});
