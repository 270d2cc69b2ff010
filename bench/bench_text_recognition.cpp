// Text recognition on the product's main road: our recogniser (warm engines, lines in parallel)
// against the plain `tesseract` command-line tool run single-threaded, on the same dense
// 2880x1800 screenshot. Both report `recall`: the share of planted sensitive items found.
//
//   build/bench_text_recognition                    # every core
//   taskset -c 0,1 build/bench_text_recognition     # two cores
#include "BenchMain.h"
#include "screens/ScreenshotGenerator.h"
#include "screens/TesseractCli.h"
#include "vision/SensitiveTextDetector.h"
#include "vision/TesseractTextRecognizer.h"
#include "vision/TextLineFinder.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

namespace {

struct Page {
    GeneratedShot shot;
    QString path;
};

const Page& densePage()
{
    static QTemporaryDir dir;
    static const Page page = [] {
        Page p { generateShot(denseShotRecipe()), dir.filePath(QStringLiteral("dense.png")) };
        p.shot.image.save(p.path);
        return p;
    }();
    return page;
}

double recall(const GeneratedShot& shot, const TextRecognition& recognition)
{
    const DetectionScore score = scoreDetections(shot, detectSensitiveText(recognition.lines));
    return double(score.found.size()) / std::max<qsizetype>(1, shot.planted.size());
}

void lumaforgeRecognizer(benchmark::State& state)
{
    static TesseractTextRecognizer recognizer;
    recognizer.warmUp();
    const Page& page = densePage();
    TextRecognition last;
    for (auto _ : state) {
        last = recognizer.recognize(page.shot.image);
        benchmark::DoNotOptimize(detectSensitiveText(last.lines));
    }
    state.counters["recall"] = recall(page.shot, last);
    state.counters["cores"] = QThread::idealThreadCount();
}

void tesseractCli(benchmark::State& state)
{
    const Page& page = densePage();
    TextRecognition last;
    for (auto _ : state) {
        last = runTesseractCli(page.path, page.shot.image.size());
        if (!last.ok) {
            state.SkipWithError("tesseract could not be run");
            return;
        }
    }
    state.counters["recall"] = recall(page.shot, last);
}

// The layout stage alone (one thread), to see what the engines leave to it.
void findLines(benchmark::State& state)
{
    const QImage page = densePage().shot.image.convertToFormat(QImage::Format_RGB32);
    for (auto _ : state)
        benchmark::DoNotOptimize(findTextLines(page));
}

} // namespace

BENCHMARK(lumaforgeRecognizer)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(tesseractCli)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(findLines)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(9)->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    return runGuiBenchmarks(argc, argv);
}
