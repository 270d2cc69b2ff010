#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

// Image files for tests: real encoded bytes, written where a test wants them.
QImage makeTestImage(int width = 64, int height = 48, QColor color = QColor(40, 120, 200));
QByteArray encodeImage(const QImage& image, const char* format = "png");
bool writeFile(const QString& path, const QByteArray& bytes);
// A valid PNG of `makeTestImage`.
bool writePng(const QString& path, int width = 64, int height = 48);
