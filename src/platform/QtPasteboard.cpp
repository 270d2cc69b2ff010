#include "platform/QtPasteboard.h"

#include "image/EncodedImage.h"

#include "core/Async.h"
#include "core/Log.h"
#include "image/ImageFile.h"
#include "image/MimeImage.h"
#include "image/PngEncoder.h"
#include "platform/RoadTrace.h"
#include "platform/X11ClipboardReader.h"
#include "platform/X11Connection.h"

#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QFuture>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeData>
#include <QThreadPool>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

namespace {

const QString kPngType = QStringLiteral("image/png");
const QString kQtImageType = QStringLiteral("application/x-qt-image");

// One written image: the PNG bytes come from the encoder's future, served when asked for. The
// decoded image is let go once the bytes exist: the clipboard may hold it all day, and the bytes
// are a tenth of its size.
class EncodedImageMimeData final : public QMimeData {
public:
    EncodedImageMimeData(QImage image, QFuture<QByteArray> png)
        : m_image(std::move(image))
        , m_png(std::move(png))
    {
        m_encoded.setFuture(m_png);
        // Delivered through the event loop: from here on a paste is answered without waiting.
        connect(&m_encoded, &QFutureWatcherBase::finished, this, [this] {
            traceRoad("encoded");
            if (!m_png.result().isEmpty())
                m_image = QImage();
        });
    }

    QStringList formats() const override { return { kPngType, kQtImageType }; }
    bool hasFormat(const QString& type) const override { return type == kPngType || type == kQtImageType; }
    QByteArray png() const { return m_png.result(); }

protected:
    QVariant retrieveData(const QString& type, QMetaType) const override
    {
        if (type == kPngType)
            return png();
        if (type == kQtImageType)
            return m_image.isNull() ? ImageFile::decode(png(), "png").image : m_image;
        return {};
    }

private:
    QImage m_image;
    QFuture<QByteArray> m_png;
    QFutureWatcher<QByteArray> m_encoded;
};

}

QByteArray encodePngWithQt(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) {
        logLine(QStringLiteral("could not encode the clipboard image: %1").arg(writer.errorString()));
        return {};
    }
    return bytes;
}

QtPasteboard::QtPasteboard(QClipboard* clipboard, PngEncodeFunction encoder, QThreadPool* pool, QObject* parent)
    : Pasteboard(parent)
    , m_clipboard(clipboard)
    , m_encoder(std::move(encoder))
    , m_pool(pool ? pool : QThreadPool::globalInstance())
    , m_readers(std::make_unique<QThreadPool>())
{
    // One read at a time; a stalled owner holds only this thread.
    m_readers->setMaxThreadCount(1);
}

QtPasteboard::~QtPasteboard() = default;

void QtPasteboard::setEncoder(PngEncodeFunction encoder)
{
    m_encoder = std::move(encoder);
}

void Pasteboard::writeEncoded(const EncodedImage& encoded)
{
    writeImage(encoded.image());
}

void QtPasteboard::writeImage(const QImage& image)
{
    writeEncoded(EncodedImage::start(image, m_encoder, m_pool));
}

void QtPasteboard::writeEncoded(const EncodedImage& encoded)
{
    auto* mime = new EncodedImageMimeData(encoded.image(), encoded.future());
    m_clipboard->clear();
    m_clipboard->setMimeData(mime);
    m_written = mime;
    countWrite();
}

bool QtPasteboard::ownsClipboard() const
{
    // The clipboard deletes our data as soon as another client takes it over.
    if (!m_written)
        return false;
    return m_clipboard->ownsClipboard() || m_clipboard->mimeData() == m_written.data();
}

void QtPasteboard::clear()
{
    m_clipboard->clear();
    m_written = nullptr;
}

QByteArray QtPasteboard::writtenPng() const
{
    if (!ownsClipboard())
        return {};
    return static_cast<EncodedImageMimeData*>(m_written.data())->png();
}

QImage QtPasteboard::readImage()
{
    const QMimeData* mime = m_clipboard->mimeData();
    if (!mime)
        return {};
    if (mime == m_written.data())
        return qvariant_cast<QImage>(mime->imageData());
    return readMimeImage(*mime, QStringLiteral("clipboard"));
}

void Pasteboard::readImageLater(QObject* context, std::function<void(Read)> done)
{
    Q_UNUSED(context);
    done({ readImage(), {} });
}

namespace {
// Qt's clipboard offers these as images, in this order; the owner's own order decides.
QList<QByteArray> readableImageTypes()
{
    QList<QByteArray> types;
    for (const QByteArray& type : QImageReader::supportedMimeTypes()) {
        if (type.startsWith("image/"))
            types.append(type);
    }
    return types;
}

// An offer's image, decoded as a paste from Qt's clipboard would be.
QImage imageOf(const ClipboardOffer& offer)
{
    QMimeData mime;
    mime.setData(QString::fromLatin1(offer.type), offer.bytes);
    return readMimeImage(mime, QStringLiteral("clipboard"));
}
}

void QtPasteboard::readImageLater(QObject* context, std::function<void(Read)> done)
{
    // Our own copy (Qt asks the server who owns the clipboard; its own idea of owning it can lag
    // behind), or no X server to ask: Qt answers at once.
    if (!X11Connection::qt() || (m_written && m_clipboard->mimeData() == m_written.data())) {
        done({ readImage(), {} });
        return;
    }
    struct Outcome {
        QImage image;
        ClipboardOffer::Outcome outcome;
        bool stalledOnData;
        QString detail;
    };
    runInBackground(
        m_readers.get(), context,
        [] {
            // A 100-megapixel image's pixels and then some: the decoder refuses larger ones anyway.
            constexpr qint64 maxBytes = 4 * ImageFile::maxPixels + (16 << 20);
            ClipboardOffer offer = readX11Clipboard(readableImageTypes(), ownerTimeoutMs, maxBytes);
            Outcome outcome { {}, offer.outcome, offer.stalledOnData, offer.detail };
            if (offer.outcome == ClipboardOffer::Outcome::received)
                outcome.image = imageOf(offer);
            return outcome;
        },
        [done = std::move(done)](Outcome outcome) {
            switch (outcome.outcome) {
            case ClipboardOffer::Outcome::received:
            case ClipboardOffer::Outcome::nothing:
                done({ outcome.image, {} });
                return;
            case ClipboardOffer::Outcome::stalled:
                logLine(QStringLiteral("paste: %1").arg(outcome.detail));
                done({ {}, outcome.stalledOnData ? tr("The program that copied the image stopped answering")
                                                 : tr("The program holding the clipboard stopped answering") });
                return;
            case ClipboardOffer::Outcome::failed:
                logLine(QStringLiteral("paste: %1").arg(outcome.detail));
                done({ {}, tr("Couldn't read the clipboard: %1").arg(outcome.detail) });
                return;
            }
        });
}

Pasteboard& Pasteboard::shared()
{
    static QtPasteboard* pasteboard = new QtPasteboard(QGuiApplication::clipboard(), PngEncoder::encode);
    return *pasteboard;
}
