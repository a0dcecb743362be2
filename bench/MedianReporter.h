// The console output of Google Benchmark, plus the medians kept for the
// tables that the benchmark programs print at the end.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace bench {

// Shows one line per benchmark, its median, and keeps the medians.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  MedianReporter();
  void ReportRuns(const std::vector<Run>& runs) override;
  // Time of one iteration in nanoseconds, NaN when not run: the smaller of
  // the median wall time and the median CPU time. A single thread's CPU time
  // is what an idle machine's wall clock would show even when other
  // processes share the cores; a drawing spread over threads shows more CPU
  // than wall time, and then the wall time is the one that counts.
  double MedianNs(const std::string& name) const;
  // Median over all runs of wall time / CPU time: near 1 on an idle machine;
  // above it, other processes took the CPU and the wall times are inflated.
  double WallToCpu() const;

 private:
  std::map<std::string, double> medianNs_;
  std::vector<double> wallToCpu_;
};

// A fixed-width cell: the figure, or "-" for a benchmark that did not run.
std::string Cell(double v, const char* format);

// How busy the machine was while the benchmarks ran.
void PrintLoadNote(std::ostream& out, const MedianReporter& r);

// benchmark::Initialize with the repetitions of all benchmarks in random
// order unless the command line says otherwise: on a shared machine the
// speed drifts over minutes, and a ratio of two figures taken minutes apart
// would carry that drift; interleaved, both medians see the same machine.
// False when an argument is unknown to Google Benchmark.
bool InitializeInterleaved(int argc, char** argv);

}  // namespace bench
