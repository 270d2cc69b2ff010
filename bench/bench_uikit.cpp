// Painting costs of the shared controls: what a repaint of the editor's panels and sliders costs.
#include "BenchMain.h"
#include "ui/GlassPanel.h"
#include "ui/LumaSlider.h"
#include "ui/Shadow.h"
#include "ui/Spring.h"
#include "ui/Symbols.h"

#include "render/ContinuousCorners.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {
void ShadowFirstPaint(benchmark::State& state)
{
    QImage target(400, 200, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&target);
    int n = 0;
    for (auto _ : state) {
        // A new size each time defeats the cache: this is the cost of a panel's first paint.
        const QPainterPath shape = continuousRoundedRect(QRectF(40, 40, 300 + (n++ % 997) * 0.01, 80), 16);
        paintShadow(p, shape, QColor(0, 0, 0, 115), 28, QPointF(0, 16));
    }
}
BENCHMARK(ShadowFirstPaint)->Unit(benchmark::kMicrosecond);

void ShadowRepaint(benchmark::State& state)
{
    QImage target(400, 200, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&target);
    const QPainterPath shape = continuousRoundedRect(QRectF(40, 40, 300, 80), 16);
    for (auto _ : state)
        paintShadow(p, shape, QColor(0, 0, 0, 115), 28, QPointF(0, 16));
}
BENCHMARK(ShadowRepaint)->Unit(benchmark::kMicrosecond);

void SliderRepaint(benchmark::State& state)
{
    LumaSlider slider(QStringLiteral("Padding"));
    slider.setRange(0, 100);
    slider.resize(260, slider.sizeHint().height());
    QImage target(slider.size(), QImage::Format_ARGB32_Premultiplied);
    double v = 0;
    for (auto _ : state) {
        slider.setValue(v = v > 100 ? 0 : v + 0.7); // a drag repaints on every move
        slider.render(&target);
    }
}
BENCHMARK(SliderRepaint)->Unit(benchmark::kMicrosecond);

void SymbolPaint(benchmark::State& state)
{
    QImage target(64, 64, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&target);
    for (auto _ : state)
        Symbols::paint(p, u"checkmark.circle.fill", QPointF(32, 32), 16, Qt::white);
}
BENCHMARK(SymbolPaint)->Unit(benchmark::kMicrosecond);

void SpringStart(benchmark::State& state)
{
    // Each retarget computes how long the spring needs to settle.
    const Spring spring { 0.22, 0.75 };
    double v0 = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(spring.settlingDuration(v0 += 1e-6));
}
BENCHMARK(SpringStart)->Unit(benchmark::kMicrosecond);
}

int main(int argc, char** argv)
{
    return runGuiBenchmarks<QApplication>(argc, argv);
}
