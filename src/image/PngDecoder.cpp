#include "image/PngDecoder.h"

#include "image/LargeBuffer.h"

#include <QtEndian>

#include <isa-l/igzip_lib.h>
#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool isType(const uchar* chunk, const char* type)
{
    return std::memcmp(chunk + 4, type, 4) == 0;
}

int paeth(int a, int b, int c)
{
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Undoes one row's filter in place; `prev` is the previous row, already undone (zeros above the
// first). False for an unknown filter.
template <int Bpp>
bool unfilter(uchar* __restrict row, const uchar* __restrict prev, int bytes, int filter)
{
    // The left neighbours (a) and the ones above them (c) stay in registers: read back from the
    // row just written, each pixel would wait for its own store.
    int a[Bpp] = {}, c[Bpp] = {};
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (int i = 0; i < bytes; i += Bpp)
#pragma GCC unroll 4
            for (int k = 0; k < Bpp; ++k)
                row[i + k] = uchar(a[k] = uchar(row[i + k] + a[k]));
        return true;
    case 2: {
        // Sixteen bytes at a time; bytes wrap on their own.
        using Bytes = uchar __attribute__((vector_size(16)));
        int i = 0;
        for (; i + 16 <= bytes; i += 16) {
            Bytes r, p;
            std::memcpy(&r, row + i, 16);
            std::memcpy(&p, prev + i, 16);
            r += p;
            std::memcpy(row + i, &r, 16);
        }
        for (; i < bytes; ++i)
            row[i] = uchar(row[i] + prev[i]);
        return true;
    }
    case 3:
        for (int i = 0; i < bytes; i += Bpp)
#pragma GCC unroll 4
            for (int k = 0; k < Bpp; ++k)
                row[i + k] = uchar(a[k] = uchar(row[i + k] + ((a[k] + prev[i + k]) >> 1)));
        return true;
    case 4:
        // Above the first pixel's left neighbour is nothing: the predictor gives b there.
        for (int i = 0; i < bytes; i += Bpp) {
#pragma GCC unroll 4
            for (int k = 0; k < Bpp; ++k) {
                const int b = prev[i + k];
                row[i + k] = uchar(a[k] = uchar(row[i + k] + paeth(a[k], b, c[k])));
                c[k] = b;
            }
        }
        return true;
    default:
        return false;
    }
}

// Inflates the rows a batch at a time into a buffer that stays in cache, undoes their filters
// and converts them into the image. The stream must end, checksum verified, with the last row.
template <int Bpp>
bool inflateRows(const std::vector<uchar>& compressed, QImage& image)
{
    const int width = image.width(), height = image.height(), bytes = width * Bpp;
    const size_t stride = size_t(bytes) + 1;
    const int batch = int(std::clamp<size_t>((256 * 1024) / stride, 1, size_t(height)));
    std::vector<uchar> buffer(stride * size_t(batch) + 4);
    std::vector<uchar> above(size_t(bytes), 0);
    inflate_state state;
    isal_inflate_init(&state);
    state.crc_flag = ISAL_ZLIB;
    state.next_in = const_cast<uint8_t*>(compressed.data());
    state.avail_in = uint32_t(compressed.size());
    for (int y = 0; y < height;) {
        const int rows = std::min(batch, height - y);
        state.next_out = buffer.data();
        state.avail_out = uint32_t(stride * size_t(rows));
        if (isal_inflate(&state) != ISAL_DECOMP_OK || state.avail_out != 0)
            return false;
        const uchar* prev = above.data();
        for (int r = 0; r < rows; ++r, ++y) {
            uchar* row = buffer.data() + stride * size_t(r);
            if (!unfilter<Bpp>(row + 1, prev, bytes, row[0]))
                return false;
            prev = row + 1;
            // Each pixel read as one 32-bit word (the buffer has slack for the last one's), its
            // red and blue swapped into Qt's order.
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                quint32 v;
                std::memcpy(&v, prev + x * Bpp, 4);
                v = qFromLittleEndian(v);
                out[x] = (Bpp == 4 ? v & 0xff000000u : 0xff000000u) | ((v & 0xffu) << 16) | (v & 0xff00u) | ((v >> 16) & 0xffu);
            }
        }
        std::memcpy(above.data(), prev, size_t(bytes));
    }
    uchar spare = 0;
    state.next_out = &spare;
    state.avail_out = 1;
    return isal_inflate(&state) == ISAL_DECOMP_OK && state.avail_out == 1 && state.block_state == ISAL_BLOCK_FINISH;
}

} // namespace

namespace PngDecoder {

std::optional<QImage> decode(const QByteArray& data, qint64 maxImageBytes)
{
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype n = data.size();
    if (n < 8 + 25 || std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) != 0)
        return std::nullopt;

    int width = 0, height = 0, channels = 0;
    std::vector<uchar> compressed;
    int dotsPerMeterX = 0, dotsPerMeterY = 0;
    bool ended = false, idatDone = false, resolutionSeen = false;
    for (qsizetype i = 8; !ended;) {
        if (n - i < 12)
            return std::nullopt;
        const qsizetype length = qFromBigEndian<quint32>(p + i);
        if (length > n - i - 12)
            return std::nullopt;
        const uchar* chunk = p + i;
        const uchar* body = chunk + 8;
        // libpng refuses a damaged critical chunk and drops a damaged ancillary one; either way
        // its reader decides.
        if (libdeflate_crc32(0, chunk + 4, size_t(length) + 4) != qFromBigEndian<quint32>(body + length))
            return std::nullopt;
        const bool first = i == 8;
        i += 12 + length;
        if (first != isType(chunk, "IHDR"))
            return std::nullopt;
        if (!idatDone && !compressed.empty() && !isType(chunk, "IDAT"))
            idatDone = true;
        if (first) {
            if (length != 13)
                return std::nullopt;
            const quint32 w = qFromBigEndian<quint32>(body), h = qFromBigEndian<quint32>(body + 4);
            const uchar depth = body[8], colour = body[9];
            // libpng refuses sides past a million pixels unless told otherwise.
            if (w == 0 || h == 0 || w > 1000000 || h > 1000000 || depth != 8 || (colour != 2 && colour != 6)
                || body[10] != 0 || body[11] != 0 || body[12] != 0)
                return std::nullopt;
            // The same limit as the reader's, and within what QImage addresses.
            if (qint64(w) * 4 > 0x7fffffff || h > 0x7fffffff / 4 || qint64(w) * 4 > maxImageBytes / qint64(h))
                return std::nullopt;
            width = int(w);
            height = int(h);
            channels = colour == 2 ? 3 : 4;
        } else if (isType(chunk, "IDAT")) {
            if (idatDone)
                return std::nullopt;
            compressed.insert(compressed.end(), body, body + length);
        } else if (isType(chunk, "IEND")) {
            ended = true;
        } else if (isType(chunk, "pHYs")) {
            // Values past 31 bits are out of the format's range, and of two resolutions libpng
            // keeps the first: the reader decides on those.
            if (length != 9 || !compressed.empty() || resolutionSeen || qFromBigEndian<quint32>(body) > 0x7fffffffu
                || qFromBigEndian<quint32>(body + 4) > 0x7fffffffu)
                return std::nullopt;
            resolutionSeen = true;
            if (body[8] == 1) {
                dotsPerMeterX = int(qFromBigEndian<quint32>(body));
                dotsPerMeterY = int(qFromBigEndian<quint32>(body + 4));
            }
        } else if (isType(chunk, "tEXt") || isType(chunk, "zTXt") || isType(chunk, "iTXt") || isType(chunk, "tIME")) {
            // Texts and times are no part of the picture: not kept.
        } else {
            // Colour spaces, transparency, palettes, orientation, offsets: the reader's own
            // business.
            return std::nullopt;
        }
    }
    // A zlib stream with the full 32 KiB window and no preset dictionary, as large images are
    // written: with a smaller declared window zlib (and so the reader) refuses distances that
    // ISA-L would accept.
    if (compressed.size() < 2 || compressed[0] != 0x78 || (compressed[1] & 0x20) || (compressed[0] * 256 + compressed[1]) % 31 != 0)
        return std::nullopt;
    // Deflate expands at most 1032 times: a tiny file claiming a vast image is damaged.
    const size_t rawSize = (size_t(width) * size_t(channels) + 1) * size_t(height);
    if (rawSize / 1032 > compressed.size() + 64 || compressed.size() > 0xffffffffu)
        return std::nullopt;
    // Faulted in on every core first: page by page on this one, a screenshot's pages cost a
    // quarter of its decoding.
    QImage image = LargeBuffer::filledImage(QSize(width, height), channels == 3 ? QImage::Format_RGB32 : QImage::Format_ARGB32, Qt::black);
    if (image.isNull())
        return std::nullopt;
    if (!(channels == 3 ? inflateRows<3>(compressed, image) : inflateRows<4>(compressed, image)))
        return std::nullopt;
    if (dotsPerMeterX > 0)
        image.setDotsPerMeterX(dotsPerMeterX);
    if (dotsPerMeterY > 0)
        image.setDotsPerMeterY(dotsPerMeterY);
    return image;
}

} // namespace PngDecoder
