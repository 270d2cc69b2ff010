#pragma once

#include "image/ImageFile.h"

#include <QByteArray>
#include <QString>

class QMimeData;

// What a drop on the empty editor would import, decided from the drag data alone (nothing is
// decoded or read here): the first image on offer, else the first URL, which must be a local
// file. Remote addresses are refused: nothing is fetched from the network. Only the first item
// counts.
struct DroppedImage {
    enum class Kind { none, imageData, localFile, remote };
    Kind kind = Kind::none;
    QByteArray data; // imageData: the encoded image
    QString path;    // localFile

    static DroppedImage decide(const QMimeData& mime);
    // Whether a drag carrying this data is taken (and shows the drop look), from the offered
    // types alone: the image itself is not fetched.
    static bool accepts(const QMimeData& mime);

    // Decodes the image or reads the file. Safe off the main thread.
    ImageFile::Result load() const;
};
