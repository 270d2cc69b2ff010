// The editor window as the application assembles it (the real editing layer over the canvas, the
// inspector with its scroll area, the tool dock and the action pill): a style change until the
// stage has repainted, a pan or zoom frame, an inspector slider step, and opening a document until
// its first frame is painted. On a 2880 x 1800 shot with six blurred redactions and 20
// annotations, in a 1400 x 900 window.
#include "BenchImages.h"
#include "BenchMain.h"

#include "editor/AnnotationEditingLayer.h"
#include "editor/EditorDocument.h"
#include "editor_window/EditorView.h"
#include "inspector/InspectorStyleSection.h"
#include "inspector/InspectorView.h"
#include "model/Preferences.h"
#include "ui/BeautifiedCanvas.h"
#include "ui/LumaSlider.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QWindow>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Twenty marks of every kind spread over the shot, two of them text.
QList<Annotation> benchAnnotations()
{
    QList<Annotation> marks;
    const Annotation::Kind kinds[] = { Annotation::Kind::box, Annotation::Kind::arrow, Annotation::Kind::ellipse,
        Annotation::Kind::line, Annotation::Kind::highlight, Annotation::Kind::pen, Annotation::Kind::box,
        Annotation::Kind::arrow, Annotation::Kind::text, Annotation::Kind::box };
    for (int i = 0; i < 20; ++i) {
        Annotation a;
        a.kind = kinds[i % 10];
        const double x = 0.12 + 0.07 * (i % 10), y = 0.2 + 0.3 * (i / 10);
        a.start = QPointF(x, y);
        a.end = QPointF(x + 0.06, y + 0.12);
        a.colorHex = 0xFF3B30 + i * 0x101;
        a.lineWidthFraction = 3 + i % 4;
        if (a.kind == Annotation::Kind::pen) {
            for (int k = 0; k < 60; ++k)
                a.points.append(QPointF(x + 0.001 * k, y + 0.05 * std::sin(k * 0.2)));
        }
        if (a.kind == Annotation::Kind::text) {
            a.text = QStringLiteral("Note %1").arg(i);
            a.fontFraction = 0.04;
        }
        marks.append(a);
    }
    return marks;
}

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
    auto doc = std::make_shared<EditorDocument>(shot, QStringLiteral("bench.png"), s, found);
    doc->setAnnotations(benchAnnotations());
    return doc;
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

// A frame of an animated zoom: the kept render drawn at the frame's scale. The canvas grows
// under the dock, the inspector and the pill.
void BM_ZoomFrame(benchmark::State& state)
{
    auto doc = benchDocument();
    auto view = benchView(doc);
    view->stage()->finishAnimations();
    view->repaint();
    BeautifiedCanvas* canvas = view->stage()->canvas();
    canvas->setInMotion(true);
    timeFrames(state, [&](int n) {
        doc->setZoom(1.0 + 0.05 * (n % 20));
        paintPending();
    });
    canvas->setInMotion(false);
}
BENCHMARK(BM_ZoomFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(100);

// A pan frame at 200 %: the canvas fills the stage, behind every floating panel.
void BM_PanFrameZoomed(benchmark::State& state)
{
    auto doc = benchDocument();
    auto view = benchView(doc);
    doc->setZoom(2.0);
    view->stage()->finishAnimations();
    view->repaint();
    timeFrames(state, [&](int n) {
        view->stage()->pan().moveBy(QSizeF(n % 2 ? 7 : -7, 3));
        paintPending();
    });
    state.counters["renders"] = view->stage()->canvas()->renderCount();
}
BENCHMARK(BM_PanFrameZoomed)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(100);

// One step of a padding slider drag, as the mouse moves it, until the window has repainted.
void BM_InspectorSliderStep(benchmark::State& state)
{
    auto doc = benchDocument();
    auto view = benchView(doc);
    view->stage()->finishAnimations();
    view->repaint();
    LumaSlider* slider = view->inspector()->styleSection()->paddingSlider();
    const QRectF track = slider->trackRect();
    const auto at = [&](double f) { return QPointF(track.left() + track.width() * f, track.center().y()); };
    const auto send = [&](QEvent::Type type, QPointF p, Qt::MouseButtons buttons) {
        QMouseEvent e(type, p, slider->mapToGlobal(p), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(slider, &e);
    };
    send(QEvent::MouseButtonPress, at(0.4), Qt::LeftButton);
    timeFrames(state, [&](int n) {
        send(QEvent::MouseMove, at(0.4 + (n % 2 ? 0.02 : -0.02)), Qt::LeftButton);
        paintPending();
    });
    send(QEvent::MouseButtonRelease, at(0.4), Qt::NoButton);
    state.counters["renders"] = view->stage()->canvas()->renderCount();
}
BENCHMARK(BM_InspectorSliderStep)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(60);

// One step of dragging a mark with the mouse, until the window has repainted: argument 0 moves a
// box, 1 a text.
void BM_DragMarkStep(benchmark::State& state)
{
    auto doc = benchDocument();
    auto view = benchView(doc);
    view->stage()->finishAnimations();
    view->repaint();
    const Annotation::Kind kind = state.range(0) ? Annotation::Kind::text : Annotation::Kind::box;
    Annotation moved;
    for (const Annotation& a : doc->annotations())
        if (a.kind == kind)
            moved = a;
    AnnotationEditingLayer* layer = view->stage()->editingLayer();
    const QSizeF size = layer->frame().displaySize;
    const QPointF grab = kind == Annotation::Kind::text
        ? QPointF(moved.start.x() * size.width(), moved.start.y() * size.height())
        : QPointF(moved.start.x() * size.width(), (moved.start.y() + moved.end.y()) / 2 * size.height());
    const auto send = [&](QEvent::Type type, QPointF p, Qt::MouseButtons buttons) {
        QMouseEvent e(type, p, layer->mapToGlobal(p), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(layer, &e);
    };
    send(QEvent::MouseButtonPress, grab, Qt::LeftButton);
    paintPending();
    timeFrames(state, [&](int n) {
        send(QEvent::MouseMove, grab + QPointF(n % 2 ? 12 : -12, 6), Qt::LeftButton);
        paintPending();
    });
    send(QEvent::MouseButtonRelease, grab, Qt::NoButton);
    state.counters["renders"] = view->stage()->canvas()->renderCount();
}
BENCHMARK(BM_DragMarkStep)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(60);

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
