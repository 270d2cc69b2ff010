#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

// Every image the application takes from disk, the clipboard or a drop is decoded here, with
// QImageReader under an allocation limit (HEIF through libheif), so a corrupt, truncated, empty or
// enormous input is refused with a reason instead of crashing or stalling the application.
// Decoded images carry no texts: a PNG's text chunks and a JPEG's comments are cut before any
// reader sees them.
namespace ImageFile {

// Files larger than this are refused without being read.
inline constexpr qint64 maxFileBytes = 512ll * 1024 * 1024;
// Decoded images larger than this (in MiB of pixels) are refused by the reader.
inline constexpr int allocationLimitMiB = 1024;
// Images of more pixels than this are refused from their header, before any is decoded: a
// decompression bomb (a small file of a huge, flat image) would otherwise take gigabytes.
inline constexpr qint64 maxPixels = 100'000'000;

struct Result {
    QImage image; // null on failure
    QString error; // why it failed; empty on success
    // The data ends before the image does (a file still being written): worth trying again.
    bool incomplete = false;
    // Trying again cannot help: not a regular file, a refused link, too large, not an image, or
    // an image whose data is complete but damaged.
    bool permanent = false;
    bool ok() const { return !image.isNull(); }
};

enum class Links { follow, refuse };

// Reads a regular file whole and decodes it. Anything but a regular file (a FIFO, a device, a
// folder, and with Links::refuse a symbolic link) is refused without blocking.
Result read(const QString& path, Links links = Links::follow);

// The file name suffixes (lower case) and MIME types of the images decode() reads.
QList<QByteArray> readableSuffixes();
QList<QByteArray> readableMimeTypes();

// Decodes encoded image bytes (`formatHint` like "png", or empty to sniff). PNG and JPEG data
// that stops before the image's end (IEND, EOI) is reported as incomplete, not decoded: a reader
// would otherwise paint the missing rows grey. Bytes after the end are accepted. Images above
// maxPixels are refused. Errors are short reasons fit to follow "Couldn't open <name>: ".
Result decode(const QByteArray& data, const QByteArray& formatHint = {});

}
