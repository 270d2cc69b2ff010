#pragma once

#include <QByteArray>
#include <QSize>

// The largest picture libheif would be told to make for a HEIF file: the sizes in the sequence
// parameter sets of its hvcC properties, and the canvases its grid and overlay items declare. A
// file may declare a small image and carry a vast coded one or a vast canvas, which would be
// allocated before anything else could say no. Empty when the file has neither or they cannot
// be read (libheif then judges the file).
namespace HeifCodedSize {
QSize largest(const QByteArray& heif);
}
