// The canvas render of a 2880x1800 screenshot in the default style, and its parts.
#include "BenchImages.h"
#include "BenchMain.h"
#include "render/BackgroundView.h"
#include "render/CanvasRenderer.h"
#include "render/CardShadow.h"


#include <benchmark/benchmark.h>

namespace {
// The two shadows of the default style (strength 0.7) under a 1400x875-point card at scale 2.
void BM_CardShadows(benchmark::State& state)
{
    QImage target(3808, 2758, QImage::Format_RGB32);
    const double s = 0.7;
    const QRectF card(252, 252, 1400, 875);
    for (auto _ : state) {
        QPainter p(&target);
        p.scale(2, 2);
        paintRoundedRectShadow(p, card, 16, { QColor::fromRgbF(0, 0, 0, 0.34 * s), 40 * s, QPointF(0, 20 * s) }, true);
        paintRoundedRectShadow(p, card, 16, { QColor::fromRgbF(0, 0, 0, 0.16 * s), 8 * s, QPointF(0, 2 * s) }, true);
    }
}
}

// The whole default-style render (sunset mesh, padding 18, radius 16, shadow 0.7) at scale 2:
// 3808x2758 pixels.
void BM_RenderDefault(benchmark::State& state)
{
    const QImage shot = benchScreenshot();
    const WatermarkConfig mark { QStringLiteral("Lumaforge"), QImage(), false, WatermarkPosition::bottomRight };
    QSize size;
    for (auto _ : state)
        size = renderCanvasImage(shot, BeautifySettings::defaults(), {}, {}, mark).size();
    state.counters["width"] = size.width();
}

// The same with the background's gradient not yet cached (the first render at a new size).
void BM_RenderDefaultColdBackground(benchmark::State& state)
{
    const QImage shot = benchScreenshot();
    const WatermarkConfig mark { QStringLiteral("Lumaforge"), QImage(), false, WatermarkPosition::bottomRight };
    for (auto _ : state) {
        BackgroundImageCache::shared().clear();
        benchmark::DoNotOptimize(renderCanvasImage(shot, BeautifySettings::defaults(), {}, {}, mark).size());
    }
}

BENCHMARK(BM_RenderDefault)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_RenderDefaultColdBackground)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_CardShadows)->Unit(benchmark::kMillisecond)->MinTime(1);

int main(int argc, char** argv)
{
    return runGuiBenchmarks(argc, argv);
}
