#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QString>

// Image files for tests: real encoded bytes, written where a test wants them.
QImage makeTestImage(int width = 64, int height = 48, QColor color = QColor(40, 120, 200));
QByteArray encodeImage(const QImage& image, const char* format = "png");
bool writeFile(const QString& path, const QByteArray& bytes);
// A valid PNG of `makeTestImage`.
bool writePng(const QString& path, int width = 64, int height = 48);
// A valid PNG of a flat width x height image, compressed as hard as zlib can: a decompression
// bomb when large (16000 x 16000 is under a megabyte).
QByteArray flatPng(int width, int height);
// A PNG whose header declares width x height and whose data is a few bytes of nothing: complete in
// form, but no image.
QByteArray pngDeclaring(int width, int height);
// The PNG with chunks of `type` holding `bodies` put right after its header (CRCs computed).
QByteArray withChunks(const QByteArray& png, const char* type, const QList<QByteArray>& bodies);
// zlib's stream of `data`, as zTXt and iTXt chunks hold compressed text.
QByteArray zlibCompressed(const QByteArray& data);
