// Costs of the painted layers of the canvas at export sizes: the redaction filters, the mesh
// backgrounds (rendered and cached) and a busy annotation layer.
#include "BenchMain.h"
#include "render/AnnotationLayer.h"
#include "render/BackgroundView.h"
#include "render/CensorCache.h"
#include "render/RedactionBars.h"

#include <QGuiApplication>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <cmath>

namespace {
// A screenshot-like image: light page, dark text-like strokes.
QImage sampleShot(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(248, 248, 250));
    QPainter painter(&image);
    QFont font;
    font.setPixelSize(26);
    painter.setFont(font);
    painter.setPen(QColor(30, 30, 34));
    for (int y = 40; y < size.height(); y += 38)
        painter.drawText(20, y, QStringLiteral("jane.doe@example.com  +1 555 0142  4111 1111 1111 1111  10.0.0.42  $1,249.99  sk_live_51HxQ9aZ"));
    return image;
}

void BM_CensorBlur(benchmark::State& state)
{
    const QImage shot = sampleShot(QSize(2880, 1800));
    for (auto _ : state)
        benchmark::DoNotOptimize(CensorCache::censoredImage(shot, RedactStyle::blur, 0.6));
}
BENCHMARK(BM_CensorBlur)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CensorPixellate(benchmark::State& state)
{
    const QImage shot = sampleShot(QSize(2880, 1800));
    for (auto _ : state)
        benchmark::DoNotOptimize(CensorCache::censoredImage(shot, RedactStyle::pixelate, 0.6));
}
BENCHMARK(BM_CensorPixellate)->Unit(benchmark::kMillisecond)->UseRealTime();

// Thirty bars painted over a 2880x1800 shot that has transparent pixels (its censored copy is
// cached): argument 0 without a window frame, 1 with one (the copy is then composed over the
// frame's fill under the bars).
void BM_RedactionBarsOverAlpha(benchmark::State& state)
{
    QImage shot = sampleShot(QSize(2880, 1800)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    {
        QPainter clear(&shot);
        clear.setCompositionMode(QPainter::CompositionMode_Clear);
        clear.fillRect(QRect(0, 0, 2880, 40), Qt::transparent);
    }
    QList<QRectF> bars;
    for (int i = 0; i < 30; ++i)
        bars.append(QRectF(0.01 + 0.03 * (i % 3), 0.02 * i + 0.01, 0.25, 0.018));
    const QColor under = state.range(0) ? QColor(Qt::white) : QColor(Qt::transparent);
    QImage layer(shot.size(), QImage::Format_ARGB32_Premultiplied);
    CensorCache cache;
    for (auto _ : state) {
        layer.fill(Qt::transparent);
        QPainter painter(&layer);
        painter.drawImage(0, 0, shot);
        paintRedactions(painter, QRectF(QPointF(0, 0), shot.size()), shot, bars, RedactStyle::blur, 0.6, cache, under);
    }
}
BENCHMARK(BM_RedactionBarsOverAlpha)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A fresh render of a sixteen-colour mesh at export size (no cache).
void BM_MeshBackgroundUncached(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(renderBackgroundImage(BackgroundPreset::prism, QSize(3800, 2400)));
}
BENCHMARK(BM_MeshBackgroundUncached)->Unit(benchmark::kMillisecond)->UseRealTime();

// The cached image for a size already painted.
void BM_MeshBackgroundCachedLookup(benchmark::State& state)
{
    BackgroundImageCache::shared().image(BackgroundPreset::prism, QSize(3800, 2400));
    for (auto _ : state)
        benchmark::DoNotOptimize(BackgroundImageCache::shared().image(BackgroundPreset::prism, QSize(3800, 2400)));
}
BENCHMARK(BM_MeshBackgroundCachedLookup)->Unit(benchmark::kMicrosecond)->UseRealTime();

// paintBackground from the cache into a 3800 x 2400 target at 2x: the lookup plus the blit.
void BM_MeshBackgroundCachedPaint(benchmark::State& state)
{
    QImage target(3800, 2400, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(2);
    target.fill(Qt::transparent);
    for (auto _ : state) {
        QPainter painter(&target);
        paintBackground(painter, QRectF(0, 0, 1900, 1200), BackgroundPreset::prism, ColorScheme::light);
    }
}
BENCHMARK(BM_MeshBackgroundCachedPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

// The transparency checkerboard (background `none`) over a whole export.
void BM_CheckerboardPaint(benchmark::State& state)
{
    QImage target(3800, 2400, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(2);
    for (auto _ : state) {
        QPainter painter(&target);
        paintBackground(painter, QRectF(0, 0, 1900, 1200), BackgroundPreset::none, ColorScheme::dark);
    }
}
BENCHMARK(BM_CheckerboardPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

// Swatch-sized paints, as the inspector and the notch strip draw them (cached after the first).
void BM_SwatchPaint(benchmark::State& state)
{
    QImage target(120, 80, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(2);
    for (auto _ : state) {
        QPainter painter(&target);
        for (BackgroundPreset preset : allCases<BackgroundPreset>)
            paintBackground(painter, QRectF(0, 0, 60, 40), preset, ColorScheme::light);
    }
}
BENCHMARK(BM_SwatchPaint)->Unit(benchmark::kMicrosecond)->UseRealTime();

// 50 marks of every kind spread over the canvas, as in a heavily annotated shot.
QList<Annotation> busyCanvas()
{
    QList<Annotation> marks;
    const Annotation::Kind kinds[] = { Annotation::Kind::text, Annotation::Kind::pen, Annotation::Kind::arrow, Annotation::Kind::line,
        Annotation::Kind::box, Annotation::Kind::ellipse, Annotation::Kind::highlight };
    for (int i = 0; i < 50; ++i) {
        Annotation a;
        a.kind = kinds[i % 7];
        const double x = 0.05 + 0.8 * std::fmod(i * 0.37, 1.0), y = 0.05 + 0.8 * std::fmod(i * 0.61, 1.0);
        a.start = QPointF(x, y);
        a.end = QPointF(x + 0.12, y + 0.09);
        a.colorHex = 0xFF3B30 + i * 97;
        a.lineWidthFraction = 1 + i % 3;
        a.dashed = i % 4 == 0;
        a.fillOpacity = i % 2 ? 0.3 : 0;
        a.text = QStringLiteral("Note %1").arg(i);
        if (a.kind == Annotation::Kind::pen) {
            for (int k = 0; k < 60; ++k)
                a.points.append(QPointF(x + k * 0.002, y + 0.03 * std::sin(k / 5.0)));
        }
        marks.append(a);
    }
    return marks;
}

void BM_BusyAnnotations(benchmark::State& state)
{
    const QList<Annotation> marks = busyCanvas();
    QImage target(3800, 2400, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(2);
    target.fill(QColor(240, 240, 240));
    for (auto _ : state) {
        QPainter painter(&target);
        paintAnnotations(painter, QRectF(0, 0, 1900, 1200), marks, QRectF(0.1, 0.1, 0.8, 0.8), 16);
    }
}
BENCHMARK(BM_BusyAnnotations)->Unit(benchmark::kMillisecond)->UseRealTime();
}

int main(int argc, char** argv)
{
    return runGuiBenchmarks(argc, argv);
}
