// The editor inspector's own costs: showing the Background tab (66 swatches) cold and warm, and
// one step of a slider drag (the write, the document's settings reaction, every section's
// refresh), alone and with the panel's repaint of what changed.
#include "BenchMain.h"
#include "editor/EditorDocument.h"
#include "fakes/FakeLoginItem.h"
#include "fakes/FakeScreenshotSettings.h"
#include "inspector/BackgroundSwatchGrid.h"
#include "inspector/InspectorBackgroundSection.h"
#include "inspector/InspectorStyleSection.h"
#include "inspector/InspectorView.h"
#include "model/Preferences.h"
#include "model/PresetStore.h"
#include "platform/JsonSettingsStore.h"
#include "render/BackgroundView.h"
#include "ui/LumaSlider.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {
// One inspector over a 2880 x 1800 shot with detections and presets, as the editor shows it.
struct Bench {
    QTemporaryDir dir;
    JsonSettingsStore settings { dir.filePath(QStringLiteral("settings.json")) };
    FakeLoginItem loginItem; // a benchmark registers no login item
    FakeScreenshotSettings screenshotSettings;
    Preferences prefs { settings, loginItem, screenshotSettings, dir.filePath(QStringLiteral("logo.png")) };
    PresetStore presets { settings };
    std::unique_ptr<EditorDocument> doc;
    QWidget window; // the editor window the panel sits in, its glass and shadow included
    std::unique_ptr<InspectorView> view;

    Bench()
    {
        for (int i = 0; i < 20; ++i)
            presets.add(QStringLiteral("Preset %1").arg(i), BeautifySettings::defaults());
        QImage shot(2880, 1800, QImage::Format_RGB32);
        shot.fill(QColor(235, 238, 242));
        const DetectionResult found { { RedactionKind::email, { QRectF(0.1, 0.1, 0.2, 0.02), QRectF(0.1, 0.2, 0.2, 0.02) } },
            { RedactionKind::ip, { QRectF(0.5, 0.1, 0.1, 0.02) } } };
        BeautifySettings style = BeautifySettings::defaults();
        style.redactKinds = { RedactionKind::email };
        style.watermark = true;
        doc = std::make_unique<EditorDocument>(shot, QStringLiteral("Shot.png"), style, found, SensitiveTextScan {});
        InspectorServices services { &presets, &prefs, [](QWidget*, std::function<void(const QString&)>) { },
            [](const QString&) { } };
        window.resize(1300, 900);
        view = std::make_unique<InspectorView>(doc.get(), &window, services);
        view->setMaxHeight(800);
        view->setGeometry(960, 60, InspectorView::panelWidth, 800);
        window.show();
        QCoreApplication::processEvents();
    }

    // Switches to the Background tab and paints every swatch cell once.
    void showBackgroundTab(QImage& target)
    {
        view->setActiveTab(InspectorView::Tab::background);
        BackgroundSwatchGrid* grid = view->backgroundSection()->grid();
        grid->render(&target);
    }
};

void BackgroundTabFirstShow(benchmark::State& state)
{
    Bench bench;
    QImage target(InspectorView::panelWidth, 1200, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        state.PauseTiming();
        bench.view->setActiveTab(InspectorView::Tab::style);
        BackgroundSwatchGrid::clearSwatchCache();
        BackgroundImageCache::shared().clear();
        state.ResumeTiming();
        bench.showBackgroundTab(target);
    }
}
BENCHMARK(BackgroundTabFirstShow)->Unit(benchmark::kMillisecond)->Iterations(20);

void BackgroundTabShowCached(benchmark::State& state)
{
    Bench bench;
    QImage target(InspectorView::panelWidth, 1200, QImage::Format_ARGB32_Premultiplied);
    bench.showBackgroundTab(target);
    for (auto _ : state) {
        state.PauseTiming();
        bench.view->setActiveTab(InspectorView::Tab::style);
        state.ResumeTiming();
        bench.showBackgroundTab(target);
    }
}
BENCHMARK(BackgroundTabShowCached)->Unit(benchmark::kMillisecond);

// A move of a drag in progress on the padding slider, delivered as the window system does.
void moveSlider(LumaSlider* slider, double fraction)
{
    const QRectF track = slider->trackRect();
    const QPointF local(track.left() + track.width() * fraction, track.center().y());
    QMouseEvent move(QEvent::MouseMove, local, slider->mapToGlobal(local), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(slider, &move);
}

void pressSlider(LumaSlider* slider, double fraction)
{
    const QRectF track = slider->trackRect();
    const QPointF local(track.left() + track.width() * fraction, track.center().y());
    QMouseEvent press(QEvent::MouseButtonPress, local, slider->mapToGlobal(local), Qt::LeftButton, Qt::LeftButton,
        Qt::NoModifier);
    QCoreApplication::sendEvent(slider, &press);
}

void SliderDragStep(benchmark::State& state)
{
    Bench bench;
    LumaSlider* padding = bench.view->styleSection()->paddingSlider();
    pressSlider(padding, 0.3);
    int n = 0;
    int writes = 0;
    QObject::connect(bench.doc.get(), &EditorDocument::settingsChanged, [&writes] { ++writes; });
    for (auto _ : state)
        moveSlider(padding, 0.31 + 0.4 * ((n++ % 200) / 200.0));
    if (writes < state.iterations() / 2)
        state.SkipWithError("the drag wrote nothing");
}
BENCHMARK(SliderDragStep)->Unit(benchmark::kMicrosecond);

void SliderDragStepWithRepaint(benchmark::State& state)
{
    Bench bench;
    LumaSlider* padding = bench.view->styleSection()->paddingSlider();
    pressSlider(padding, 0.3);
    int n = 0;
    for (auto _ : state) {
        moveSlider(padding, 0.3 + 0.4 * ((n++ % 200) / 200.0));
        padding->repaint();
    }
}
BENCHMARK(SliderDragStepWithRepaint)->Unit(benchmark::kMicrosecond);
}

int main(int argc, char** argv)
{
    return runGuiBenchmarks<QApplication>(argc, argv);
}
