#pragma once
// What the benchmarks measure in the running program, asked for through its environment:
// VANTRA_BENCH_T0 (the launcher's clock in nanoseconds since the epoch) for the time to the
// main window and the peak memory, with VANTRA_BENCH_SHORTFORM ("cold" or anything) for the time
// from "申请书简表" to the screen's first paint. Each prints its line and ends the program.
// Without them, nothing happens.
void StartBenchmarkProbes();
