// The capture road's own costs: listing the screenshot folder, reading a new screenshot file, and
// encoding the PNG bytes the clipboard offers (Qt's writer, until the fast encoder arrives).
#include "BenchImages.h"
#include "BenchMain.h"
#include "capture/ScreenshotWatcher.h"
#include "image/ImageFile.h"
#include "platform/Pasteboard.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {


const QImage& shot()
{
    static const QImage image = benchScreenshot();
    return image;
}

void BM_ListScreenshotFolder(benchmark::State& state)
{
    QTemporaryDir dir;
    for (int i = 0; i < state.range(0); ++i) {
        QFile file(dir.filePath(QStringLiteral("Screenshot %1.png").arg(i)));
        file.open(QIODevice::WriteOnly);
        file.write("x");
    }
    for (auto _ : state) {
        const auto listing = ScreenshotWatcher::listCandidates(dir.path());
        benchmark::DoNotOptimize(listing.entries.size());
    }
}
BENCHMARK(BM_ListScreenshotFolder)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ReadScreenshotFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Screenshot.png"));
    shot().save(path, "png");
    state.counters["bytes"] = double(QFile(path).size());
    for (auto _ : state) {
        const auto result = ImageFile::read(path, ImageFile::Links::refuse);
        benchmark::DoNotOptimize(result.image.constBits());
    }
}
BENCHMARK(BM_ReadScreenshotFile)->Unit(benchmark::kMillisecond);

void BM_ClipboardPngWithQt(benchmark::State& state)
{
    for (auto _ : state) {
        const QByteArray png = encodePngWithQt(shot());
        benchmark::DoNotOptimize(png.data());
    }
}
BENCHMARK(BM_ClipboardPngWithQt)->Unit(benchmark::kMillisecond);

}

int main(int argc, char** argv)
{
    return runGuiBenchmarks(argc, argv);
}
