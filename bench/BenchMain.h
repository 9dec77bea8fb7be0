#pragma once

#include "tests/support/SimProcess.h"

#include <QString>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <initializer_list>

namespace quillon::bench {

// One line the report prints above the figures, saying what a column means.
struct TContextLine {
    const char* key;
    const char* value;
};

// Runs every benchmark this program registered; the library first takes its own options
// (--benchmark_filter and the like) from the command line.
inline void RunRegistered(int& argc, char** argv,
                          std::initializer_list<TContextLine> context = {}) {
    benchmark::Initialize(&argc, argv);
    for (const TContextLine& line : context) {
        benchmark::AddCustomContext(line.key, line.value);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}

// For benchmarks that time each iteration themselves (SetIterationTime), as the wire or the
// simulated clock sees it, in milliseconds.
inline void ManualMilliseconds(benchmark::internal::Benchmark* b) {
    b->UseManualTime()->Unit(benchmark::kMillisecond);
}

// Starts the simulator a benchmark measures against; when it will not start, says why on
// standard error under the given name.
inline bool StartSimulator(SimProcess& sim, const QStringList& options, const char* what) {
    if (const auto error = sim.Start(options)) {
        std::fprintf(stderr, "%s: %s\n", what, qPrintable(*error));
        return false;
    }
    return true;
}

} // namespace quillon::bench
