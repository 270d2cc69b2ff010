#pragma once

#include <QByteArray>
#include <QSize>

// The largest picture the HEVC decoder would be told to make for a HEIF file: the sizes in the
// sequence parameter sets of its hvcC properties. A file may declare a small image and carry a
// vast coded one, which the codec would allocate before anything else could say no. Empty when
// the file has no such parameter set or it cannot be read (libheif then judges the file).
namespace HeifCodedSize {
QSize largest(const QByteArray& heif);
}
