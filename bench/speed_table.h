#pragma once
// The speed table painter_bench prints after its benchmarks: per brush mode
// the whole picture before and after the work on speed, next to the field
// arithmetic alone; the batch rate with one and two workers; and the time the
// window takes for one picture.

namespace painter::bench {

struct TableOptions {
    int repeats = 5;       // pictures per mode; the median counts
    int batchNames = 200;  // names per batch run
};

void printSpeedTable(const TableOptions& options);

// The per-position arithmetic of a whole picture alone, in milliseconds
// (shared with the benchmark of the same name).
double fieldArithmeticMs(const char* name);

}  // namespace painter::bench
