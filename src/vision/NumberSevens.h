#pragma once

#include "vision/TextRecognizer.h"

// Mends the 7s a small bitmap face draws with a curled top, read as a question mark inside a card
// number, a phone number or a dotted address ("(733) 013-560?", "card=485324377526752?"), or read
// twice, as a 7 and a question mark beside it ("4259762239924467?"). Only where the mended digits
// make such a number whole; a dropped mark gives its box to the 7 beside it.
void mendSevensReadAsQuestionMarks(RecognizedLine& line);
