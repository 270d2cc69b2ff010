#pragma once

#include <QGuiApplication>

#include <benchmark/benchmark.h>

// The main of benchmarks that paint or load images: they need a Qt application (fonts, image
// plugins), on the offscreen platform.
inline int runGuiBenchmarks(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
