// The onboarding's demo clip: what one frame costs to scale and to paint, and what the whole
// process spends while the real clip (resources/video) plays in the onboarding window, and after
// that window is hidden. Run under Xvfb with QT_QPA_PLATFORM=xcb for the figure a machine without
// a GPU shows; the default offscreen platform gives the same road without an X server.
#include "BenchMain.h"
#include "onboarding/AnimatedDemoStep.h"
#include "onboarding/LoopingVideoView.h"
#include "onboarding/OnboardingView.h"
#include "onboarding/VideoFrameScaler.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QImage>
#include <QMediaPlayer>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <ctime>

namespace {

// Runs the event loop for `ms` milliseconds.
void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double processCpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The onboarding window on its second page, the clip playing.
struct DemoPage {
    OnboardingView view { {} };
    LoopingVideoView* video = nullptr;

    DemoPage()
    {
        view.resize(940, 700);
        view.show();
        view.advance();
        view.finishTransition();
        video = static_cast<AnimatedDemoStep*>(view.currentPage())->video();
    }

    bool waitForFrames(int count)
    {
        QElapsedTimer clock;
        clock.start();
        const int start = video->framesReceived();
        while (video->framesReceived() - start < count && clock.elapsed() < 20000)
            wait(10);
        return video->framesReceived() - start >= count;
    }
};

// Process CPU per wall-clock second over `seconds` of the event loop running: cores in use.
double coresOver(double seconds)
{
    const double cpu = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    wait(int(seconds * 1000));
    return (processCpuSeconds() - cpu) / (double(wall.nsecsElapsed()) * 1e-9);
}

void ClipPlaying(benchmark::State& state)
{
    DemoPage page;
    if (!page.video->player() || !page.waitForFrames(10)) {
        state.SkipWithError("the clip does not play here (GStreamer plugins of scripts/install-deps missing?)");
        return;
    }
    double cores = 0;
    int frames = page.video->framesReceived();
    for (auto _ : state) {
        const double c = coresOver(3.0);
        state.SetIterationTime(3.0);
        cores = c;
    }
    frames = page.video->framesReceived() - frames;
    state.counters["cores"] = cores;
    state.counters["fps"] = frames / (3.0 * double(state.iterations()));
}
BENCHMARK(ClipPlaying)->UseManualTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kSecond);

void ClipHidden(benchmark::State& state)
{
    DemoPage page;
    if (!page.video->player() || !page.waitForFrames(10)) {
        state.SkipWithError("the clip does not play here");
        return;
    }
    page.view.hide(); // the window closed on its page
    wait(300);
    double cores = 0;
    for (auto _ : state) {
        cores = coresOver(3.0);
        state.SetIterationTime(3.0);
    }
    state.counters["cores"] = cores;
}
BENCHMARK(ClipHidden)->UseManualTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)->Unit(benchmark::kSecond);

// One decoded frame of the clip, as the backend hands it over.
QVideoFrame clipFrame()
{
    static QVideoFrame frame = [] {
        DemoPage page;
        page.waitForFrames(20);
        return page.video->currentFrame();
    }();
    return frame;
}

// Scaling one 1240x680 frame into the 620x340 view (1x) and the 1240x680 view (2x).
void FrameScale(benchmark::State& state)
{
    const QVideoFrame frame = clipFrame();
    if (!frame.isValid()) {
        state.SkipWithError("no frame decoded");
        return;
    }
    const QSize target(int(state.range(0)), int(state.range(0) * 340 / 620));
    QImage image;
    for (auto _ : state) {
        image = VideoFrameScaler::scaled(frame, target, std::move(image));
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(FrameScale)->Arg(620)->Arg(1240)->Unit(benchmark::kMicrosecond);

// Qt's own conversion, which the view used before: through OpenGL where a context can be made
// (a software rasteriser without a GPU), else on the CPU; then scaled as the painter did.
void FrameToImageQt(benchmark::State& state)
{
    const QVideoFrame frame = clipFrame();
    if (!frame.isValid()) {
        state.SkipWithError("no frame decoded");
        return;
    }
    QImage target(620, 340, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        const QImage image = frame.toImage();
        QPainter p(&target);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(target.rect()), image, VideoFrameScaler::aspectFillSource(image.size(), target.size()));
    }
}
BENCHMARK(FrameToImageQt)->Unit(benchmark::kMicrosecond);

// Repainting the clip's area of the window for a new frame: the backdrop under it and the picture.
void FramePaint(benchmark::State& state)
{
    DemoPage page;
    if (!page.video->player() || !page.waitForFrames(5)) {
        state.SkipWithError("the clip does not play here");
        return;
    }
    page.video->player()->pause();
    wait(100);
    const QRect area(page.video->mapTo(&page.view, QPoint(0, 0)), page.video->size());
    QImage target(page.view.size(), QImage::Format_RGB32);
    for (auto _ : state)
        page.view.render(&target, area.topLeft(), QRegion(area));
}
BENCHMARK(FramePaint)->Unit(benchmark::kMicrosecond);

}

int main(int argc, char** argv) { return runGuiBenchmarks<QApplication>(argc, argv); }
