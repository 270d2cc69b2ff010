// The editor window's stage: a style change until the stage has repainted, a pan or zoom frame,
// and opening a document until its first frame is painted. On a 2880 x 1800 shot with six
// blurred redactions, in a 1400 x 900 window.
#include "BenchImages.h"
#include "BenchMain.h"

#include "editor/EditorDocument.h"
#include "editor_window/EditorView.h"
#include "model/Preferences.h"
#include "ui/BeautifiedCanvas.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

std::shared_ptr<EditorDocument> benchDocument()
{
    static const QImage shot = benchScreenshot();
    DetectionResult found;
    found[RedactionKind::email] = { QRectF(0.1, 0.1, 0.2, 0.03), QRectF(0.1, 0.2, 0.25, 0.03) };
    found[RedactionKind::phone] = { QRectF(0.5, 0.3, 0.2, 0.03), QRectF(0.5, 0.4, 0.18, 0.03) };
    found[RedactionKind::apiKey] = { QRectF(0.2, 0.6, 0.4, 0.03), QRectF(0.2, 0.7, 0.35, 0.03) };
    BeautifySettings s = BeautifySettings::defaults();
    s.redactKinds = { RedactionKind::email, RedactionKind::phone, RedactionKind::apiKey };
    s.redactStyle = RedactStyle::blur;
    return std::make_shared<EditorDocument>(shot, QStringLiteral("bench.png"), s, found);
}

std::unique_ptr<EditorView> benchView(std::shared_ptr<EditorDocument> doc)
{
    EditorView::Hooks hooks;
    hooks.exportHooks = ExportHooks {};
    auto view = std::make_unique<EditorView>(std::move(doc), Preferences::shared(), hooks);
    view->resize(1400, 900);
    view->show();
    // Painting happens only once the window is exposed.
    QElapsedTimer wait;
    wait.start();
    while (!(view->windowHandle() && view->windowHandle()->isExposed()) && wait.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return view;
}

// Times `frame(n)` for each iteration; reports the median and 95th percentile in milliseconds.
template <typename Frame>
void timeFrames(benchmark::State& state, Frame frame)
{
    std::vector<double> ms;
    int n = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        frame(n++);
        const double t = timer.nsecsElapsed() / 1e6;
        ms.push_back(t);
        state.SetIterationTime(t / 1e3);
    }
    std::sort(ms.begin(), ms.end());
    state.counters["p50_ms"] = ms[ms.size() / 2];
    state.counters["p95_ms"] = ms[std::min(ms.size() - 1, size_t(ms.size() * 0.95))];
}

// What the window system's next frame paints.
void paintPending()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

void BM_StyleWriteUntilRepainted(benchmark::State& state)
{
    auto doc = benchDocument();
    auto view = benchView(doc);
    view->stage()->canvas()->repaint();
    timeFrames(state, [&](int n) {
        BeautifySettings s = doc->settings();
        s.padding = 18 + (n % 2 ? 1 : -1); // a padding slider step
        doc->setSettings(s);
        view->stage()->canvas()->repaint();
    });
    state.counters["renders"] = view->stage()->canvas()->renderCount();
}
BENCHMARK(BM_StyleWriteUntilRepainted)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(60);

// The canvas's old and new places repainted; the render is reused.
void BM_PanFrame(benchmark::State& state)
{
    auto doc = benchDocument();
    auto view = benchView(doc);
    view->stage()->finishAnimations();
    view->repaint();
    timeFrames(state, [&](int n) {
        view->stage()->pan().moveBy(QSizeF(n % 2 ? 7 : -7, 3));
        paintPending();
    });
    state.counters["renders"] = view->stage()->canvas()->renderCount();
}
BENCHMARK(BM_PanFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(100);

// A frame of an animated zoom: the kept render drawn at the frame's scale.
void BM_ZoomFrame(benchmark::State& state)
{
    auto doc = benchDocument();
    auto view = benchView(doc);
    view->stage()->finishAnimations();
    view->repaint();
    BeautifiedCanvas* canvas = view->stage()->canvas();
    canvas->setInMotion(true);
    timeFrames(state, [&](int n) {
        doc->setZoom(1.0 + 0.01 * (n % 20));
        paintPending();
    });
    canvas->setInMotion(false);
}
BENCHMARK(BM_ZoomFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(100);

void BM_OpenUntilFirstFrame(benchmark::State& state)
{
    std::unique_ptr<EditorView> view;
    timeFrames(state, [&](int) {
        // The previous view goes first, as the main window replaces it.
        view.reset();
        view = benchView(benchDocument());
        view->repaint();
    });
}
BENCHMARK(BM_OpenUntilFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

}

int main(int argc, char** argv)
{
    return runGuiBenchmarks<QApplication>(argc, argv);
}
