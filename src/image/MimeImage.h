#pragma once

#include <QImage>
#include <QString>

class QMimeData;

// The image offered by clipboard or drag-and-drop data: the first image format on offer, else
// the first local image-file URL; nothing is fetched from the network. Decoded through
// ImageFile under its allocation limit; a broken offer is logged (naming `source`, e.g.
// "clipboard") and gives a null image.
QImage readMimeImage(const QMimeData& mime, const QString& source);
