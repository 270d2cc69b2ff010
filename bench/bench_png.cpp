// PNG encoding of a default-style render, our encoder side by side with Qt's writer; and decoding
// of a screenshot as screenshot tools write it, our reader side by side with Qt's.
#include "BenchImages.h"
#include "BenchMain.h"
#include "image/PngDecoder.h"
#include "image/PngEncoder.h"
#include "render/CanvasRenderer.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

#include <benchmark/benchmark.h>
#include <spng.h>

namespace {
// The default-style render of a 2880x1800 screenshot (3808x2758 pixels, opaque).
const QImage& renderImage()
{
    static const QImage image = renderCanvasImage(benchScreenshot(), BeautifySettings::defaults(), {}, {},
        { QStringLiteral("Lumaforge"), QImage(), false, WatermarkPosition::bottomRight });
    return image;
}

// libspng, the other candidate: rows converted and fed progressively (no whole-image buffer),
// zlib level 1, the same "up" filter.
QByteArray spngEncode(const QImage& image)
{
    spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
    spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
    spng_set_option(ctx, SPNG_IMG_COMPRESSION_LEVEL, 1);
    spng_set_option(ctx, SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_UP);
    spng_ihdr ihdr {};
    ihdr.width = image.width();
    ihdr.height = image.height();
    ihdr.bit_depth = 8;
    ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
    spng_set_ihdr(ctx, &ihdr);
    QByteArray out;
    std::vector<uchar> rgb(size_t(image.width()) * 3);
    int ret = spng_encode_image(ctx, nullptr, 0, SPNG_FMT_PNG, SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
    for (int y = 0; ret == 0 && y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* o = rgb.data();
        for (int x = 0; x < image.width(); ++x) {
            *o++ = uchar(qRed(row[x]));
            *o++ = uchar(qGreen(row[x]));
            *o++ = uchar(qBlue(row[x]));
        }
        ret = spng_encode_row(ctx, rgb.data(), rgb.size());
    }
    if (ret == SPNG_EOI) {
        size_t len = 0;
        int err = 0;
        void* buf = spng_get_png_buffer(ctx, &len, &err);
        out = QByteArray(static_cast<const char*>(buf), qsizetype(len));
        free(buf);
    }
    spng_ctx_free(ctx);
    return out;
}

void BM_PngEncoder(benchmark::State& state)
{
    const QImage& image = renderImage();
    qsizetype size = 0;
    for (auto _ : state)
        size = PngEncoder::encode(image).size();
    state.counters["bytes"] = double(size);
}

void BM_Spng(benchmark::State& state)
{
    const QImage& image = renderImage();
    qsizetype size = 0;
    for (auto _ : state)
        size = spngEncode(image).size();
    state.counters["bytes"] = double(size);
}

void BM_QImageWriter(benchmark::State& state)
{
    const QImage& image = renderImage();
    qsizetype size = 0;
    for (auto _ : state) {
        QByteArray data;
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        writer.write(image);
        size = data.size();
    }
    state.counters["bytes"] = double(size);
}

// A 2880x1800 screenshot written by Qt's writer at its default level, as screenshot tools do.
const QByteArray& shotFile()
{
    static const QByteArray data = [] {
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, "png").write(benchScreenshot());
        return out;
    }();
    return data;
}

void BM_PngDecoder(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(PngDecoder::decode(shotFile(), qint64(1) << 30));
}

void BM_QImageReader(benchmark::State& state)
{
    for (auto _ : state) {
        QByteArray data = shotFile();
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(QImageReader(&buffer, "png").read());
    }
}
}

BENCHMARK(BM_PngDecoder)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_QImageReader)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_PngEncoder)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_Spng)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_QImageWriter)->Unit(benchmark::kMillisecond)->MinTime(2);

int main(int argc, char** argv)
{
    return runGuiBenchmarks(argc, argv);
}
