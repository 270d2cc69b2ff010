// The notch panel's moments: from `present` to the panel shown with the clipboard owned, until
// the clipboard can serve the PNG bytes, and a restyle click until the new style is shown.
// Run under an X server (DISPLAY set) for the real window and clipboard; without one it falls
// back to Qt's offscreen platform.
#include "BenchMain.h"
#include "BenchImages.h"

#include "image/PngEncoder.h"
#include "model/Preferences.h"
#include "model/PresetStore.h"
#include "notch/NotchController.h"
#include "notch/NotchPanel.h"
#include "platform/QtPasteboard.h"
#include "platform/ScreenGeometry.h"
#include "render/CanvasRenderer.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QWindow>
#include <benchmark/benchmark.h>

namespace {

// The styled copy of a 2880 x 1800 shot as the pipeline hands it over: padded, at 2x.
QImage styledCopy(const QImage& raw)
{
    QImage styled(raw.width() * 6 / 5, raw.height() * 6 / 5, QImage::Format_RGB32);
    styled.fill(QColor(230, 120, 60));
    QPainter p(&styled);
    p.drawImage(raw.width() / 10, raw.height() / 10, raw);
    return styled;
}

std::shared_ptr<NotchSession> session(const QImage& raw, const QImage& styled)
{
    auto s = std::make_shared<NotchSession>();
    s->rawImage = raw;
    s->styledImage = styled;
    s->renderCache.insert(QStringLiteral("auto"), styled);
    s->currentStyleKey = QStringLiteral("auto");
    return s;
}

void processUntil(const std::function<bool()>& done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

enum class Until { shown, pngServed };

// Presents a 2880 x 1800 shot per iteration and times it until the panel's window is exposed and
// the clipboard is ours, or until the clipboard can hand out the PNG bytes (encoded off the GUI
// thread).
void measurePresent(benchmark::State& state, Until until)
{
    const QImage raw = benchScreenshot();
    const QImage styled = styledCopy(raw);
    static QtPasteboard board(QGuiApplication::clipboard(), PngEncoder::encode);
    NotchController c(Preferences::shared(), PresetStore::shared(), board, ScreenGeometry::shared(), {},
        DragFileStore::temporaryFiles(), NotchHandlers {});
    for (auto _ : state) {
        auto s = session(raw, styled);
        QElapsedTimer timer;
        timer.start();
        c.present(s);
        if (until == Until::shown)
            processUntil([&] { return c.panel()->windowHandle()->isExposed() && board.ownsClipboard(); });
        else
            benchmark::DoNotOptimize(board.writtenPng().size());
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);

        state.PauseTiming();
        board.writtenPng(); // the encoder finishes before the next shot
        c.waitForFileWrites();
        c.dismiss();
        processUntil([&] { return !c.session(); });
        state.ResumeTiming();
    }
}

void BM_PresentUntilShown(benchmark::State& state) { measurePresent(state, Until::shown); }
void BM_PresentUntilPngServed(benchmark::State& state) { measurePresent(state, Until::pngServed); }
BENCHMARK(BM_PresentUntilShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_PresentUntilPngServed)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

// A restyle click to a style not rendered yet for this shot, until the new style is the
// thumbnail (and on the clipboard): the canvas render of the 2880 x 1800 shot on the main thread.
void BM_RestyleUntilShown(benchmark::State& state)
{
    const QImage raw = benchScreenshot();
    static QtPasteboard board(QGuiApplication::clipboard(), PngEncoder::encode);
    const WatermarkConfig watermark;
    NotchStyling styling { {}, [&](const NotchSession& session, const BeautifySettings& settings) {
                              return renderCanvasImage(session.rawImage, settings, {}, {}, watermark);
                          } };
    NotchController c(Preferences::shared(), PresetStore::shared(), board, ScreenGeometry::shared(), styling,
        DragFileStore::temporaryFiles(), NotchHandlers {});
    BeautifySettings first = BeautifySettings::defaults();
    c.present(session(raw, renderCanvasImage(raw, first, {}, {}, watermark)));
    const BackgroundPreset backgrounds[] = { BackgroundPreset::cobalt, BackgroundPreset::noir, BackgroundPreset::sunset };
    int n = 0;
    for (auto _ : state) {
        BeautifySettings settings = first;
        settings.background = backgrounds[n % 3];
        settings.padding = 10 + n % 7; // a new size each time: nothing comes from a cache
        const QString key = QStringLiteral("preset-%1").arg(n++);
        const qint64 before = c.thumbnail().cacheKey();
        QElapsedTimer timer;
        timer.start();
        c.applyStyle(key, settings);
        processUntil([&] { return c.thumbnail().cacheKey() != before; });
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);

        state.PauseTiming();
        board.writtenPng();
        c.waitForFileWrites();
        state.ResumeTiming();
    }
    c.dismiss();
    processUntil([&] { return !c.session(); });
}
BENCHMARK(BM_RestyleUntilShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}

int main(int argc, char** argv)
{
    // On a display when there is one: the panel is measured until the X server shows it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    return runGuiBenchmarks<QApplication>(argc, argv);
}
