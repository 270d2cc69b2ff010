// Canvas editing on the main thread: one drag event (the controller's step plus the editing
// layer repainting its own overlays where they changed; the canvas render beneath is not counted)
// on a 2880x1800 shot shown at 1440x900 pt, two pixels a point, and hit testing many annotations
// at a press.
#include "BenchImages.h"
#include "BenchMain.h"
#include "editor/AnnotationEditController.h"
#include "editor/AnnotationEditingLayer.h"
#include "editor/EditingGeometry.h"
#include "editor/EditorDocument.h"
#include "render/CanvasLayout.h"

#include <QApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <functional>

namespace {
const QImage& screenshot()
{
    static const QImage image = benchScreenshot();
    return image;
}

// `count` annotations of every kind spread over the canvas, a fifth of them texts.
QList<Annotation> mixedAnnotations(int count)
{
    QList<Annotation> list;
    for (int i = 0; i < count; ++i) {
        Annotation a;
        a.kind = Annotation::Kind(i % 7);
        const double x = 0.05 + (i % 10) * 0.09, y = 0.05 + (i / 10 % 10) * 0.09;
        a.start = QPointF(x, y);
        a.end = QPointF(x + 0.05, y + 0.04);
        a.lineWidthFraction = 3;
        a.fontFraction = 0.04;
        if (a.kind == Annotation::Kind::text)
            a.text = QStringLiteral("Note %1").arg(i);
        if (a.kind == Annotation::Kind::pen) {
            for (int k = 0; k < 64; ++k)
                a.points.append(QPointF(x + k / 1400.0, y + std::sin(k / 6.0) * 0.01));
        }
        list.append(a);
    }
    return list;
}

// A layer over a 2880x1800 shot fitted into a 1440x900 pt view, painted at `pixelRatio` pixels
// a point (2 on a high-density screen).
struct Rig {
    Rig(int marks, int pixelRatio = 2)
        : doc(screenshot(), QStringLiteral("Shot.png"), BeautifySettings::defaults(), DetectionResult {})
        , layer(&doc)
        , target(1440 * pixelRatio, 900 * pixelRatio, QImage::Format_ARGB32_Premultiplied)
    {
        doc.setAnnotations(mixedAnnotations(marks));
        const CanvasLayout l = canvasLayout(doc.image(), doc.settings());
        const double scale = std::min(1440.0 / l.canvasWidth, 900.0 / l.canvasHeight);
        EditingFrame f;
        f.displaySize = QSizeF(l.canvasWidth * scale, l.canvasHeight * scale);
        f.shotRectNorm = shotRectNorm(l, doc.settings());
        f.imageRectNorm = imageRectNorm(l, doc.settings());
        f.crop = doc.settings().cropRect;
        layer.setFrame(f);
        target.setDevicePixelRatio(pixelRatio);
        target.fill(Qt::transparent);
    }

    QPointF at(double x, double y) const
    {
        const QSizeF s = layer.frame().displaySize;
        return { x * s.width(), y * s.height() };
    }

    // Drags from `from` along `path` (event index -> offset in points), one event and one
    // repaint per iteration; by default round a small circle. Every 300 events (a long drag) the
    // drag starts afresh, so a pen stroke does not grow for ever.
    void run(benchmark::State& state, QPointF from, const std::function<QPointF(int)>& path = circle)
    {
        AnnotationEditController* c = layer.controller();
        const QList<Annotation> marks = doc.annotations();
        const AnnotationTool tool = doc.tool();
        c->handleDragChanged(from, from);
        int i = 0;
        for (auto _ : state) {
            if (++i % 300 == 0) {
                state.PauseTiming();
                c->handleDragEnded(from, from);
                doc.setAnnotations(marks);
                doc.setTool(tool);
                doc.setSelectedAnnotation(marks.isEmpty() ? std::nullopt : std::optional<QUuid>(marks.last().id));
                c->handleDragChanged(from, from);
                state.ResumeTiming();
            }
            const QPointF p = from + path(i % 300);
            c->handleDragChanged(from, p);
            // What the widget's repaint does: its paint, clipped to the region the change dirtied.
            // (An empty region would render the whole widget: nothing changed, nothing to paint.)
            const QRegion dirty = layer.dirtyRegion();
            if (!dirty.isEmpty())
                layer.render(&target, dirty.boundingRect().topLeft(), dirty, QWidget::DrawChildren);
        }
        c->handleDragEnded(from, from);
    }

    static QPointF circle(int i) { return { std::cos(i * 0.1) * 40, std::sin(i * 0.1) * 40 }; }

    EditorDocument doc;
    AnnotationEditingLayer layer;
    QImage target;
};
}

// Moving a selected box among `marks` others (its outline and handles follow).
static void BM_DragMoveBox(benchmark::State& state)
{
    Rig rig(int(state.range(0)), int(state.range(1)));
    Annotation box;
    box.kind = Annotation::Kind::box;
    box.start = QPointF(0.4, 0.42);
    box.end = QPointF(0.6, 0.58);
    rig.doc.addAnnotation(box);
    rig.run(state, rig.at(0.5, 0.42));
}
BENCHMARK(BM_DragMoveBox)->Args({ 20, 2 })->Args({ 200, 2 })->Args({ 200, 1 })->Unit(benchmark::kMicrosecond);

// Drawing a pen stroke, a wave across most of the canvas: the draft grows by a point per event,
// to 300.
static void BM_DragDrawPen(benchmark::State& state)
{
    Rig rig(20, int(state.range(0)));
    rig.doc.setTool(AnnotationTool::pen);
    rig.run(state, rig.at(0.1, 0.5), [](int i) { return QPointF(i * 3.0, std::sin(i * 0.15) * 60); });
}
BENCHMARK(BM_DragDrawPen)->Arg(2)->Arg(1)->Unit(benchmark::kMicrosecond);

// Dragging the crop: the whole layer is dimmed around it on every event.
static void BM_DragCrop(benchmark::State& state)
{
    Rig rig(20, int(state.range(0)));
    BeautifySettings s = rig.doc.settings();
    s.cropRect = QRectF(0.2, 0.2, 0.6, 0.6);
    rig.doc.setSettings(s);
    rig.doc.setTool(AnnotationTool::crop);
    rig.run(state, rig.at(0.5, 0.5));
}
BENCHMARK(BM_DragCrop)->Arg(2)->Arg(1)->Unit(benchmark::kMicrosecond);

// Drawing a blur rectangle.
static void BM_DragBlur(benchmark::State& state)
{
    Rig rig(20, int(state.range(0)));
    rig.doc.setTool(AnnotationTool::blur);
    rig.run(state, rig.at(0.3, 0.3));
}
BENCHMARK(BM_DragBlur)->Arg(2)->Arg(1)->Unit(benchmark::kMicrosecond);

// The select tool's press: the selection's handles, then every annotation from the top, missing
// all of them (the worst case).
static void BM_HitTestAnnotations(benchmark::State& state)
{
    const QList<Annotation> list = mixedAnnotations(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(EditingGeometry::hitAnnotation(list, QPointF(0.99, 0.99)));
}
BENCHMARK(BM_HitTestAnnotations)->Arg(200)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return runGuiBenchmarks<QApplication>(argc, argv);
}
