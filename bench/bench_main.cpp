// Benchmark entry point: text rendering needs a QGuiApplication, the window's
// timing a QApplication (both on the offscreen platform). After the
// benchmarks comes the speed table (speed_table.h):
//   --table_only          the table without the benchmarks
//   --no_table            the benchmarks without the table
//   --table_repeats=N     pictures per mode (5)
//   --table_batch=N       names per batch run (200)
#include "platform/memory_reuse.h"
#include "speed_table.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    painter::keepFreedMemoryForReuse();  // as the program does
    painter::bench::TableOptions table;
    bool tableOnly = false, noTable = false;
    std::vector<char*> rest;
    for (int k = 0; k < argc; ++k) {
        if (std::strcmp(argv[k], "--table_only") == 0)
            tableOnly = true;
        else if (std::strcmp(argv[k], "--no_table") == 0)
            noTable = true;
        else if (std::strncmp(argv[k], "--table_repeats=", 16) == 0)
            table.repeats = std::atoi(argv[k] + 16);
        else if (std::strncmp(argv[k], "--table_batch=", 14) == 0)
            table.batchNames = std::atoi(argv[k] + 14);
        else
            rest.push_back(argv[k]);
    }
    int restCount = static_cast<int>(rest.size());
    rest.push_back(nullptr);
    QApplication app(restCount, rest.data());
    benchmark::Initialize(&restCount, rest.data());
    if (!tableOnly) benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!noTable) painter::bench::printSpeedTable(table);
    return 0;
}
