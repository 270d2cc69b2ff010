#pragma once

#include "image/EncodedImage.h"

#include <QByteArray>
#include <QImage>
#include <QObject>

#include <functional>

// The general clipboard, as the application uses it: it reads one image and writes one image.
class EncodedImage;

class Pasteboard : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The clipboard's image: its image data when it has any (the first image format offered),
    // else the file of its first local image-file URL. Nothing is fetched from the network.
    // A null image when there is none or it cannot be decoded.
    virtual QImage readImage() = 0;

    // The same without waiting on the program that offers it: `done` gets the image on the main
    // thread (unless `context` is gone), or a null image and, when something went wrong rather
    // than there being no image, what to tell the user. Where the clipboard can answer at once
    // (our own copy, or no X server), `done` runs before this returns.
    struct Read {
        QImage image;
        QString failure;
    };
    virtual void readImageLater(QObject* context, std::function<void(Read)> done);
    // Clears the clipboard, then offers this one image.
    virtual void writeImage(const QImage& image) = 0;
    // The same, offering the PNG bytes already being encoded for it (shared with other readers).
    virtual void writeEncoded(const EncodedImage& encoded);
    // Whether the clipboard still holds the last image written here.
    virtual bool ownsClipboard() const = 0;
    // Empties the clipboard.
    virtual void clear() = 0;
    // Numbers the writes made here (0 before the first), so that a writer can tell its own copy
    // from a later one made elsewhere in the application.
    quint64 writeCount() const { return m_writes; }

    static Pasteboard& shared();

protected:
    // Each write of an implementation counts itself once.
    void countWrite() { ++m_writes; }

private:
    quint64 m_writes = 0;
};

// Qt's own PNG writer.
QByteArray encodePngWithQt(const QImage& image);
