// Confetti and onboarding costs: one frame of the welcome page's burst (60 pieces in 5 colours)
// over a 940x700 window, a whole repaint of the window beneath it, and opening the onboarding
// until its first page is laid out and painted.
#include "BenchMain.h"
#include "confetti/ConfettiCannon.h"
#include "confetti/ConfettiOverlay.h"
#include "onboarding/OnboardingView.h"
#include "onboarding/WelcomeStep.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>

namespace {
// Cycles through the burst's life so every phase (fly-out, rain, fade) is in the median.
void ConfettiFrame(benchmark::State& state)
{
    double seconds = 0;
    auto generator = std::make_shared<QRandomGenerator>(4);
    ConfettiCannon cannon(
        WelcomeStep::confettiOptions(), nullptr, [&seconds] { return seconds; },
        [generator] { return generator->generateDouble(); });
    cannon.markAppeared();
    cannon.setTrigger(1);
    QImage target(940, 700, QImage::Format_ARGB32_Premultiplied);
    int frame = 0;
    for (auto _ : state) {
        seconds = (frame++ % 260) / 60.0; // 4.33 s of 60 Hz frames
        target.fill(Qt::transparent);
        QPainter p(&target);
        p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        cannon.paint(p, QPointF(470, 260));
    }
}
BENCHMARK(ConfettiFrame)->Unit(benchmark::kMicrosecond);

// What the screen pays per confetti frame: the welcome page and everything under the overlay.
void WelcomeWindowFrame(benchmark::State& state)
{
    double seconds = 0;
    OnboardingView view({});
    view.setConfettiClock([&seconds] { return seconds; });
    view.resize(940, 700);
    view.show();
    view.advance();
    view.advance();
    view.finishTransition();
    auto* welcome = qobject_cast<WelcomeStep*>(view.currentPage());
    auto* overlay = view.findChild<ConfettiOverlay*>();
    QImage target(view.size(), QImage::Format_ARGB32_Premultiplied);
    int frame = 0;
    QRect before;
    for (auto _ : state) {
        seconds = (frame++ % 260) / 60.0;
        // Only where the pieces were and are, as the overlay asks the screen to repaint.
        const QRect now = welcome->cannon()->bounds(overlay->origin()).toAlignedRect();
        view.render(&target, now.united(before).topLeft(), QRegion(now.united(before)));
        before = now;
    }
}
BENCHMARK(WelcomeWindowFrame)->Unit(benchmark::kMicrosecond);

// Building the onboarding and painting its first page, as the main window does on a first run.
void OnboardingFirstPage(benchmark::State& state)
{
    QImage target(940, 700, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        OnboardingView view({});
        view.resize(940, 700);
        view.show();
        view.render(&target);
    }
}
BENCHMARK(OnboardingFirstPage)->Unit(benchmark::kMillisecond);
}

int main(int argc, char** argv) { return runGuiBenchmarks<QApplication>(argc, argv); }
