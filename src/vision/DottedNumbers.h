#pragma once

#include "vision/TextRecognizer.h"

// Mends dotted addresses and phone numbers as faces misread their dots: a blank after each dot
// (wide, round dots), a dot read as a comma, colon, tick or L (bitmap faces, small grey print), a
// zero's stroke read as a mark of its own. Only where the mended digits make a whole address or
// phone number; dropped characters give their boxes to their neighbours.
void mendDottedNumbers(RecognizedLine& line);
// Mends dotted addresses and phone numbers whose dot came out twice or with a mark beside it
// ("192.168.43,.222"), and the lone marks the same face read for their other dots.
void mendDoubledDots(RecognizedLine& line);
