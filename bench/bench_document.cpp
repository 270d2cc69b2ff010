// Editor document costs paid on the main thread: building a document for every new shot (the
// default mark colour reads every pixel), restyling with many marks, and undo steps.
#include "BenchMain.h"
#include "BenchImages.h"
#include "editor/EditorDocument.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace {
const QImage& screenshot()
{
    static const QImage image = benchScreenshot();
    return image;
}

// A document with `marks` pen strokes of 64 points each, scattered over the canvas.
std::unique_ptr<EditorDocument> documentWithMarks(int marks)
{
    auto doc = std::make_unique<EditorDocument>(
        screenshot(), QStringLiteral("Shot.png"), BeautifySettings::defaults(), DetectionResult {});
    QList<Annotation> list;
    for (int i = 0; i < marks; ++i) {
        Annotation a;
        a.kind = Annotation::Kind::pen;
        for (int k = 0; k < 64; ++k)
            a.points.append(QPointF((i % 10) / 10.0 + k / 700.0, (i / 10 % 10) / 10.0 + k / 900.0));
        list.append(a);
    }
    doc->setAnnotations(list);
    return doc;
}
}

static void BM_AverageLuminance(benchmark::State& state)
{
    const QImage image = benchScreenshot(int(state.range(0)), int(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(averageLuminance(image));
    state.SetItemsProcessed(state.iterations() * image.width() * image.height());
}
BENCHMARK(BM_AverageLuminance)->Args({ 2880, 1800 })->Args({ 5120, 2880 })->Unit(benchmark::kMillisecond);

// What a new shot costs the main thread when its detections are already known.
static void BM_NewDocumentWithDetections(benchmark::State& state)
{
    const DetectionResult found { { RedactionKind::email, { QRectF(0.1, 0.1, 0.2, 0.02) } } };
    for (auto _ : state) {
        EditorDocument doc(screenshot(), QStringLiteral("Shot.png"), BeautifySettings::defaults(), found);
        benchmark::DoNotOptimize(doc.annotationColor());
    }
}
BENCHMARK(BM_NewDocumentWithDetections)->Unit(benchmark::kMillisecond);

// One padding slider step: the settings observer moves every mark.
static void BM_RestyleWithMarks(benchmark::State& state)
{
    auto doc = documentWithMarks(int(state.range(0)));
    BeautifySettings s = doc->settings();
    int i = 0;
    for (auto _ : state) {
        s.padding = 10 + (i++ % 20);
        doc->setSettings(s);
    }
}
BENCHMARK(BM_RestyleWithMarks)->Arg(10)->Arg(200)->Unit(benchmark::kMicrosecond);

// A gesture's press (push) followed by undo and redo.
static void BM_UndoStep(benchmark::State& state)
{
    auto doc = documentWithMarks(int(state.range(0)));
    for (auto _ : state) {
        doc->pushUndo();
        doc->undo();
        doc->redo();
    }
}
BENCHMARK(BM_UndoStep)->Arg(10)->Arg(200)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return runGuiBenchmarks(argc, argv);
}
