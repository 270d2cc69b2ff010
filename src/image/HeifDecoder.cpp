#include "image/HeifDecoder.h"

#include "image/HeifCodedSize.h"

#include <QtEndian>

#include <libheif/heif.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

namespace HeifDecoder {

namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* p) const { Free(p); }
};
using Context = std::unique_ptr<heif_context, Deleter<heif_context, heif_context_free>>;
using Handle = std::unique_ptr<heif_image_handle, Deleter<const heif_image_handle, heif_image_handle_release>>;
using Image = std::unique_ptr<heif_image, Deleter<const heif_image, heif_image_release>>;
using Options = std::unique_ptr<heif_decoding_options, Deleter<heif_decoding_options, heif_decoding_options_free>>;

// Once per process, before the first context: registers the built-in codecs.
void initialise()
{
    static const bool done = [] {
        heif_init(nullptr);
        return true;
    }();
    Q_UNUSED(done);
}

Outcome failed(Outcome::Failure failure, QSize size = {})
{
    Outcome outcome;
    outcome.failure = failure;
    outcome.size = size;
    return outcome;
}

enum class Layout { complete, stopsShort, sequenceOnly };

// Whether the file's top-level boxes run past the end of the data, or it ends before its
// metadata (a file still being written, not a damaged one); or it holds a sequence and no still
// picture at all.
Layout layoutOf(const QByteArray& data)
{
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype n = data.size();
    bool meta = false, movie = false;
    for (qsizetype i = 0; i < n;) {
        if (n - i < 8)
            return Layout::stopsShort;
        quint64 size = qFromBigEndian<quint32>(p + i);
        qsizetype header = 8;
        if (size == 1) {
            if (n - i < 16)
                return Layout::stopsShort;
            size = qFromBigEndian<quint64>(p + i + 8);
            header = 16;
        } else if (size == 0) {
            size = quint64(n - i); // the last box runs to the end
        }
        if (size < quint64(header))
            return Layout::complete; // damaged: libheif says how
        meta = meta || std::memcmp(p + i + 4, "meta", 4) == 0;
        movie = movie || std::memcmp(p + i + 4, "moov", 4) == 0;
        if (size > quint64(n - i))
            return Layout::stopsShort;
        i += qsizetype(size);
    }
    return meta ? Layout::complete : movie ? Layout::sequenceOnly : Layout::stopsShort;
}

Outcome::Failure failureOf(const heif_error& error, const QByteArray& data)
{
    const Layout layout = layoutOf(data);
    if (error.subcode == heif_suberror_End_of_data || layout == Layout::stopsShort)
        return Outcome::Failure::truncated;
    if (layout == Layout::sequenceOnly)
        return Outcome::Failure::unsupported;
    if (error.subcode == heif_suberror_Security_limit_exceeded)
        return Outcome::Failure::tooLarge;
    if (error.code == heif_error_Unsupported_filetype || error.code == heif_error_Unsupported_feature)
        return Outcome::Failure::unsupported;
    return Outcome::Failure::damaged;
}

}

bool isHeif(const QByteArray& data)
{
    if (data.size() < 12 || std::memcmp(data.constData() + 4, "ftyp", 4) != 0)
        return false;
    char brand[4];
    heif_brand_to_fourcc(heif_read_main_brand(reinterpret_cast<const uint8_t*>(data.constData()), int(qMin<qsizetype>(data.size(), 4096))), brand);
    // Stills and sequences coded in HEVC, and the generic brands they are filed under.
    for (const char* heif : { "heic", "heix", "heim", "heis", "hevc", "hevx", "hevm", "hevs", "mif1", "msf1" }) {
        if (std::memcmp(brand, heif, 4) == 0)
            return true;
    }
    return false;
}

Outcome decode(const QByteArray& data, qint64 maxPixels, qint64 maxImageBytes)
{
    initialise();
    const Context context(heif_context_alloc());
    if (!context)
        return failed(Outcome::Failure::damaged);
    // libheif's own limit is on either side; anything past the cap's longest side is past the cap.
    heif_context_set_maximum_image_size_limit(context.get(), int(qMin<qint64>(maxPixels, INT_MAX)));
    // The data outlives the context: no copy.
    heif_error error = heif_context_read_from_memory_without_copy(context.get(), data.constData(), size_t(data.size()), nullptr);
    if (error.code != heif_error_Ok)
        return failed(failureOf(error, data));
    heif_image_handle* primary = nullptr;
    error = heif_context_get_primary_image_handle(context.get(), &primary);
    const Handle handle(primary);
    if (error.code != heif_error_Ok || !handle)
        return failed(failureOf(error, data));

    // The size after rotation, as it will be decoded.
    const QSize declared(heif_image_handle_get_width(handle.get()), heif_image_handle_get_height(handle.get()));
    if (declared.isEmpty())
        return failed(Outcome::Failure::damaged);
    if (qint64(declared.width()) * declared.height() > maxPixels || qint64(declared.width()) * 4 > maxImageBytes / declared.height())
        return failed(Outcome::Failure::tooLarge, declared);
    // The codec and libheif allocate what the stream and the grid or overlay say, whatever the
    // header declared; coded sizes are rounded up to whole blocks of up to 64 pixels.
    if (const QSize coded = HeifCodedSize::largest(data);
        coded.isValid() && qint64(std::max(coded.width() - 64, 1)) * std::max(coded.height() - 64, 1) > maxPixels)
        return failed(Outcome::Failure::tooLarge, coded);

    const bool alpha = heif_image_handle_has_alpha_channel(handle.get());
    const Options options(heif_decoding_options_alloc());
    if (!options)
        return failed(Outcome::Failure::damaged);
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    error = heif_decode_image(handle.get(), &decoded, heif_colorspace_RGB,
        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    const Image image(decoded);
    if (error.code != heif_error_Ok || !image)
        return failed(failureOf(error, data), declared);

    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    const int bytesPerPixel = alpha ? 4 : 3;
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    // What the codec made must be what the header promised, in 8 bits a channel.
    if (!plane || QSize(width, height) != declared || heif_image_get_bits_per_pixel(image.get(), heif_channel_interleaved) != bytesPerPixel * 8
        || stride < width * bytesPerPixel)
        return failed(Outcome::Failure::damaged, declared);

    const QImage::Format format = !alpha ? QImage::Format_RGB32
        : heif_image_handle_is_premultiplied_alpha(handle.get()) ? QImage::Format_ARGB32_Premultiplied
                                                                 : QImage::Format_ARGB32;
    QImage out(width, height, format);
    if (out.isNull())
        return failed(Outcome::Failure::tooLarge, declared);
    for (int y = 0; y < height; ++y) {
        const uint8_t* from = plane + qsizetype(stride) * y;
        auto* to = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < width; ++x, from += bytesPerPixel)
            to[x] = qRgba(from[0], from[1], from[2], alpha ? from[3] : 0xff);
    }
    Outcome outcome;
    outcome.image = std::move(out);
    outcome.size = declared;
    return outcome;
}

}
