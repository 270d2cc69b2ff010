#pragma once

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <functional>

// The main of benchmarks that paint, load images or build widgets: a Qt application (fonts, image
// plugins; pass QApplication for widgets) on the offscreen platform unless the caller chose one.
// `beforeExit` runs while the application still exists.
template <typename App = QGuiApplication>
int runGuiBenchmarks(int argc, char** argv, const std::function<void()>& beforeExit = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (beforeExit)
        beforeExit();
    return 0;
}
