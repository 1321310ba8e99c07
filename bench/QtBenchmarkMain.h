#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>

// Benchmarks that drive the windows need an application object on the
// offscreen platform before any benchmark runs (a benchmark may bring its own
// kind of application).
template <typename Application = QApplication> int RunQtBenchmarks(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
