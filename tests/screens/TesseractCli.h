#pragma once

#include "vision/TextRecognizer.h"

#include <QSize>
#include <QString>

// The plain `tesseract` command-line tool, run single-threaded (OMP_THREAD_LIMIT=1) with automatic
// page segmentation (--psm 3) on an image file: the reference our recogniser is measured against.
// Its lines come from the TSV output, each word's box standing for each of its characters.
// `ok` is false when the tool cannot be run.
TextRecognition runTesseractCli(const QString& imagePath, QSize imageSize, double* seconds = nullptr);

// Lines of a TSV produced by `tesseract ... tsv` for an image of `imageSize`.
QList<RecognizedLine> linesFromTesseractTsv(const QString& tsv, QSize imageSize);
