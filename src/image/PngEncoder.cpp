#include "image/PngEncoder.h"

#include "core/ParallelFor.h"
#include "image/LargeBuffer.h"

#include <QThread>

#include <isa-l/igzip_lib.h>
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <atomic>
#include <vector>

namespace {

// The fallback when the fast compressor fails: on styled renders libdeflate's level 2 is both
// faster and smaller than its level 1.
constexpr int kCompressionLevel = 2;
// From this many cores on, the stream is compressed in pieces side by side.
constexpr int kMinCoresForPieces = 2;

struct CompressorDeleter {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

// A large scratch buffer (see LargeBuffer).
class ScratchBuffer {
public:
    explicit ScratchBuffer(size_t size)
        : m_data(static_cast<uchar*>(LargeBuffer::allocate(size)))
    {
        if (!m_data)
            throw std::bad_alloc();
    }
    ~ScratchBuffer() { LargeBuffer::release(m_data); }
    ScratchBuffer(const ScratchBuffer&) = delete;
    ScratchBuffer& operator=(const ScratchBuffer&) = delete;
    uchar* get() const { return m_data; }

private:
    uchar* m_data = nullptr;
};

void putU32(QByteArray& out, quint32 v)
{
    const char bytes[4] = { char(v >> 24), char(v >> 16), char(v >> 8), char(v) };
    out.append(bytes, 4);
}

void putChunk(QByteArray& out, const char type[4], const uchar* data, size_t size)
{
    putU32(out, quint32(size));
    const qsizetype start = out.size();
    out.append(type, 4);
    if (size)
        out.append(reinterpret_cast<const char*>(data), qsizetype(size));
    const quint32 crc = libdeflate_crc32(0, out.constData() + start, size_t(out.size() - start));
    putU32(out, crc);
}

// True when every pixel is fully opaque: such images are written without an alpha channel.
bool allOpaque(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(row[x]) != 255)
                return false;
        }
    }
    return true;
}

// Per-byte difference of two pixels (each byte modulo 256), without unpacking them.
inline quint32 byteDifference(quint32 a, quint32 b)
{
    constexpr quint32 high = 0x80808080u;
    return ((a | high) - (b & ~high)) ^ ((a ^ ~b) & high);
}

// An opaque row, "up"-filtered against the previous one, as RGB bytes. Each pixel but the last is
// stored as four bytes whose fourth is overwritten by the next pixel; the last writes three, so
// rows can be filled in parallel.
void filterOpaqueRow(const QRgb* __restrict row, const QRgb* __restrict previous, uchar* __restrict out, int width)
{
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "pixel packing assumes little-endian words");
    const auto packed = [&](int x) {
        const quint32 d = previous ? byteDifference(row[x], previous[x]) : row[x];
        // 0xAARRGGBB -> bytes R, G, B, 0
        return ((d >> 16) & 0xffu) | (d & 0xff00u) | ((d & 0xffu) << 16);
    };
    for (int x = 0; x + 1 < width; ++x) {
        const quint32 p = packed(x);
        std::memcpy(out + 3 * size_t(x), &p, 4);
    }
    const quint32 last = packed(width - 1);
    std::memcpy(out + 3 * size_t(width - 1), &last, 3);
}

// A row with alpha as straight-alpha RGBA bytes.
void convertAlphaRow(const QRgb* __restrict in, uchar* __restrict out, int width, bool premultiplied)
{
    for (int x = 0; x < width; ++x) {
        const QRgb p = premultiplied ? qUnpremultiply(in[x]) : in[x];
        out[0] = uchar(qRed(p));
        out[1] = uchar(qGreen(p));
        out[2] = uchar(qBlue(p));
        out[3] = uchar(qAlpha(p));
        out += 4;
    }
}

// The "up" filter: one subtraction per byte, and on renders (vertical gradients, flat rows)
// it compresses about as well as the costlier adaptive filters.
void filterUp(const uchar* __restrict row, const uchar* __restrict previous, uchar* __restrict out, size_t bytes)
{
    if (!previous) {
        std::memcpy(out, row, bytes);
        return;
    }
    for (size_t i = 0; i < bytes; ++i)
        out[i] = uchar(row[i] - previous[i]);
}

// The filtered rows as one zlib stream, compressed in pieces on every core. Each piece but the
// last is a raw deflate stream of its own that ends byte-aligned without the final flag (a full
// flush), so laid end to end the pieces are one stream; no piece refers back into another, which
// costs a little size. ISA-L's fastest level compresses three times as fast as zlib's and
// smaller. The stream is written to `out` (see piecesBound); returns its length, or 0 when the
// compressor fails. The pieces go to slices of the one large buffer, not to small blocks of the
// worker threads' heaps, which would keep them.
size_t pieceBound(size_t size)
{
    // Incompressible data goes out as stored blocks (5 bytes per 64 KiB); a generous margin on
    // that costs only address space, as only what is written becomes resident.
    return size + size / 64 + 1024;
}

// The zlib header, every piece and the checksum.
size_t piecesBound(size_t size, int pieces)
{
    return 2 + size + size / 64 + size_t(pieces) * 1024 + 4;
}

size_t compressInPieces(const uchar* data, size_t size, int pieces, uchar* out)
{
    std::vector<uLong> checksums(static_cast<size_t>(pieces));
    std::vector<size_t> slice(static_cast<size_t>(pieces) + 1), written(static_cast<size_t>(pieces));
    const auto bounds = [&](int i) { return std::pair(size * size_t(i) / size_t(pieces), size * size_t(i + 1) / size_t(pieces)); };
    slice[0] = 2; // after the zlib header
    for (int i = 0; i < pieces; ++i) {
        const auto [from, to] = bounds(i);
        slice[size_t(i) + 1] = slice[size_t(i)] + pieceBound(to - from);
    }
    std::atomic<bool> failed { false };
    parallelFor(pieces, [&](int i) {
        const auto [from, to] = bounds(i);
        checksums[size_t(i)] = libdeflate_adler32(1, data + from, to - from);
        const size_t room = slice[size_t(i) + 1] - slice[size_t(i)];
        if (to - from > std::numeric_limits<uint32_t>::max() || room > std::numeric_limits<uint32_t>::max()) {
            failed = true;
            return;
        }
        isal_zstream z;
        isal_deflate_stateless_init(&z);
        z.level = 1;
        z.gzip_flag = IGZIP_DEFLATE; // raw deflate
        const bool last = i + 1 == pieces;
        z.end_of_stream = last ? 1 : 0;
        z.flush = last ? NO_FLUSH : FULL_FLUSH;
        z.next_in = const_cast<uint8_t*>(data + from);
        z.avail_in = uint32_t(to - from);
        z.next_out = out + slice[size_t(i)];
        z.avail_out = uint32_t(room);
        if (isal_deflate_stateless(&z) != COMP_OK || z.avail_in != 0) {
            failed = true;
            return;
        }
        written[size_t(i)] = z.total_out;
    });
    if (failed)
        return 0;
    // Close the gaps between the slices, in order: each piece moves towards the start only.
    out[0] = 0x78; // deflate, 32K window
    out[1] = 0x01; // fastest
    size_t end = 2;
    uLong adler = checksums[0];
    for (int i = 0; i < pieces; ++i) {
        std::memmove(out + end, out + slice[size_t(i)], written[size_t(i)]);
        end += written[size_t(i)];
        if (i > 0) {
            const auto [from, to] = bounds(i);
            adler = adler32_combine(adler, checksums[size_t(i)], z_off_t(to - from));
        }
    }
    const uchar trailer[4] = { uchar(adler >> 24), uchar(adler >> 16), uchar(adler >> 8), uchar(adler) };
    std::memcpy(out + end, trailer, 4);
    return end + 4;
}

}

namespace PngEncoder {

QByteArray encode(const QImage& source)
{
    if (source.isNull() || source.width() <= 0 || source.height() <= 0)
        return {};

    QImage image = source;
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        break;
    default:
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (image.isNull())
            return {};
    }
    const bool alpha = image.format() != QImage::Format_RGB32 && !allOpaque(image);
    const bool premultiplied = image.format() == QImage::Format_ARGB32_Premultiplied;

    const int width = image.width();
    const int height = image.height();
    const size_t bpp = alpha ? 4 : 3;
    const size_t rowBytes = size_t(width) * bpp;
    const size_t filteredSize = (rowBytes + 1) * size_t(height);

    try {
        std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
            libdeflate_alloc_compressor(kCompressionLevel));
        if (!compressor)
            return {};

        // Left uninitialised: every byte is written before it is read.
        ScratchBuffer filtered(filteredSize);
        const auto rowOut = [&](int y) {
            uchar* out = filtered.get() + size_t(y) * (rowBytes + 1);
            *out = 2; // filter type "up"
            return out + 1;
        };
        const auto line = [&](int y) { return reinterpret_cast<const QRgb*>(image.constScanLine(y)); };
        if (!alpha) {
            // Opaque rows depend only on the source, so bands of them are filtered in parallel
            // (the main road's renders are opaque); compression stays one stream.
            constexpr int kBand = 128;
            parallelFor((height + kBand - 1) / kBand, [&](int band) {
                const int first = band * kBand;
                for (int y = first; y < std::min(first + kBand, height); ++y)
                    filterOpaqueRow(line(y), y ? line(y - 1) : nullptr, rowOut(y), width);
            });
        } else {
            std::vector<uchar> rows[2] = { std::vector<uchar>(rowBytes), std::vector<uchar>(rowBytes) };
            for (int y = 0; y < height; ++y) {
                std::vector<uchar>& converted = rows[y & 1];
                convertAlphaRow(line(y), converted.data(), width, premultiplied);
                filterUp(converted.data(), y ? rows[(y - 1) & 1].data() : nullptr, rowOut(y), rowBytes);
            }
        }

        const size_t bound = libdeflate_zlib_compress_bound(compressor.get(), filteredSize);
        if (bound > size_t(std::numeric_limits<quint32>::max() - 64))
            return {};
        // From two cores on, pieces are compressed side by side (a few per core, so a core that
        // is busy elsewhere holds up only a small share); on one core the stream is one piece.
        const int cores = QThread::idealThreadCount();
        const int pieces = cores >= kMinCoresForPieces
            ? std::clamp(int(filteredSize / (256 << 10)), 1, 2 * cores)
            : 1;
        std::optional<ScratchBuffer> compressed;
        compressed.emplace(piecesBound(filteredSize, pieces));
        size_t compressedSize = compressInPieces(filtered.get(), filteredSize, pieces, compressed->get());
        if (compressedSize == 0) {
            compressed.reset();
            compressed.emplace(bound);
            compressedSize = libdeflate_zlib_compress(compressor.get(), filtered.get(), filteredSize, compressed->get(), bound);
        }
        if (compressedSize == 0)
            return {};

        QByteArray png;
        png.reserve(qsizetype(compressedSize + 64));
        png.append("\x89PNG\r\n\x1a\n", 8);
        uchar header[13];
        const auto be32 = [](uchar* p, quint32 v) {
            p[0] = uchar(v >> 24);
            p[1] = uchar(v >> 16);
            p[2] = uchar(v >> 8);
            p[3] = uchar(v);
        };
        be32(header, quint32(width));
        be32(header + 4, quint32(height));
        header[8] = 8;                  // bits per channel
        header[9] = alpha ? 6 : 2;      // RGBA or RGB
        header[10] = header[11] = header[12] = 0;
        putChunk(png, "IHDR", header, sizeof header);
        putChunk(png, "IDAT", compressed->get(), compressedSize);
        putChunk(png, "IEND", nullptr, 0);
        return png;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}
