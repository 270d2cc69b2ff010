#pragma once

#include <QString>

// Mends the digits of faces drawn for machines (OCR A and the like) that the engine reads as
// letters or marks ("+b1 7be 545 9485", "(4b?) 372-9174"), and an address's dots such faces draw
// low that it reads as hyphens ("10-144-93-211"). Only inside a run of digits that the mended
// characters make a phone number, a card number or an IP address; characters are replaced one
// for one.
void mendOcrFaceDigits(QString& line);
