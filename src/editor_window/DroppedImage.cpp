#include "editor_window/DroppedImage.h"

#include <QMimeData>
#include <QUrl>

DroppedImage DroppedImage::decide(const QMimeData& mime)
{
    DroppedImage item;
    const QList<QByteArray> readable = ImageFile::readableMimeTypes();
    for (const QString& type : mime.formats()) {
        if (type.startsWith(QLatin1String("image/")) && readable.contains(type.toLatin1())) {
            item.kind = Kind::imageData;
            item.data = mime.data(type);
            return item;
        }
    }
    if (mime.hasUrls() && !mime.urls().isEmpty()) {
        const QUrl url = mime.urls().first();
        if (url.isLocalFile()) {
            item.kind = Kind::localFile;
            item.path = url.toLocalFile();
        } else {
            item.kind = Kind::remote;
        }
    }
    return item;
}

bool DroppedImage::accepts(const QMimeData& mime)
{
    // Decided from the offered types alone: asking a drag for its image copies all of it from
    // the other program (and Qt encodes an image offered as a QImage) on every drag-enter. What
    // the bytes hold is read from their header when the drop is loaded, off this thread.
    const QList<QByteArray> readable = ImageFile::readableMimeTypes();
    for (const QString& type : mime.formats()) {
        if (type.startsWith(QLatin1String("image/")) && readable.contains(type.toLatin1()))
            return true;
    }
    return mime.hasUrls() && !mime.urls().isEmpty();
}

ImageFile::Result DroppedImage::load() const
{
    switch (kind) {
    case Kind::imageData:
        return ImageFile::decode(data);
    case Kind::localFile:
        return ImageFile::read(path);
    case Kind::remote:
    case Kind::none:
        break;
    }
    ImageFile::Result nothing;
    nothing.error = QStringLiteral("nothing to read");
    nothing.permanent = true;
    return nothing;
}
