// Background removal of a 2880x1800 screenshot (segmentation and the cut-out, uncached).
#include "BenchImages.h"
#include "BenchMain.h"
#include "vision/BorderForegroundSegmenter.h"
#include "render/BackgroundRemover.h"


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
    return runGuiBenchmarks(argc, argv);
}
