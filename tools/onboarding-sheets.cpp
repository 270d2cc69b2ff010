// Photographs the onboarding: every page in the light and dark schemes, and the welcome page
// mid-burst with the confetti clock held at chosen moments. Run it on a private X server
// (xvfb-run) or the offscreen platform.
//
//   onboarding-sheets OUTPUT_DIR
//
// Writes OUTPUT_DIR/onboarding-<scheme>-<page>.png and onboarding-<scheme>-burst-<ms>.png.
#include "onboarding/AnimatedDemoStep.h"
#include "onboarding/LoopingVideoView.h"
#include "onboarding/OnboardingView.h"
#include "onboarding/WelcomeStep.h"
#include "support/Wait.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

namespace {
bool save(QWidget& widget, const QDir& out, const QString& name)
{
    const QString path = out.filePath(name + QStringLiteral(".png"));
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "onboarding-sheets: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "usage: onboarding-sheets OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(app.arguments().at(1));
    QDir().mkpath(out.path());

    for (ColorScheme scheme : { ColorScheme::light, ColorScheme::dark }) {
        const QString tag = scheme == ColorScheme::dark ? QStringLiteral("dark") : QStringLiteral("light");
        double seconds = 0;
        OnboardingView view({});
        view.setConfettiClock([&seconds] { return seconds; });
        Theme::setColorScheme(&view, scheme);
        view.resize(940, 700);
        view.show();
        spin(200);
        bool ok = save(view, out, QStringLiteral("onboarding-%1-capture").arg(tag));

        view.advance();
        view.finishTransition();
        spin(700);
        if (auto* demo = qobject_cast<AnimatedDemoStep*>(view.currentPage())) {
            QElapsedTimer waited;
            waited.start();
            while (demo->video()->framesReceived() < 40 && waited.elapsed() < 8000)
                spin(20);
        }
        ok = save(view, out, QStringLiteral("onboarding-%1-demo").arg(tag)) && ok;

        view.advance();
        view.finishTransition();
        spin(700); // the progress dots settle
        auto* welcome = qobject_cast<WelcomeStep*>(view.currentPage());
        for (int ms : { 150, 600, 3000 }) {
            seconds = ms / 1000.0;
            welcome->cannon()->advance();
            ok = save(view, out, QStringLiteral("onboarding-%1-burst-%2").arg(tag).arg(ms)) && ok;
        }
        seconds = 10;
        welcome->cannon()->advance();
        ok = save(view, out, QStringLiteral("onboarding-%1-welcome").arg(tag)) && ok;
        if (!ok)
            return 1;
    }
    return 0;
}
