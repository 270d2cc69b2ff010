// Background removal of a 2880x1800 screenshot (segmentation and the cut-out, uncached).
#include "BenchImages.h"
#include "platform/BorderForegroundSegmenter.h"
#include "render/BackgroundRemover.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace {
void BM_BackgroundRemoval(benchmark::State& state)
{
    const QImage shot = benchScreenshot();
    BorderForegroundSegmenter segmenter;
    BackgroundRemover remover(segmenter);
    bool found = false;
    for (auto _ : state)
        found = remover.cutOutForeground(shot).has_value();
    state.counters["found"] = found;
}
}

BENCHMARK(BM_BackgroundRemoval)->Unit(benchmark::kMillisecond)->MinTime(2);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
