#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// HEIF images (HEIC, as phones and some screenshot tools write) through libheif: the primary
// image, turned and mirrored as the file says, with its alpha. Thread-safe.
namespace HeifDecoder {

// Whether the data begins as a HEIF file of an HEVC-coded brand.
bool isHeif(const QByteArray& data);

struct Outcome {
    enum class Failure { none, truncated, damaged, tooLarge, unsupported };
    QImage image; // Format_RGB32, or Format_ARGB32(_Premultiplied) with alpha; null on failure
    Failure failure = Failure::none;
    QSize size; // the image's size as the file declares it, when known
};

// Images of more than `maxPixels`, or of more than `maxImageBytes` decoded, are refused from the
// file's header before anything is decoded.
Outcome decode(const QByteArray& data, qint64 maxPixels, qint64 maxImageBytes);

}
