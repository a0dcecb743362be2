// The console output of Google Benchmark, plus the medians kept for the
// closing tables (engine against PROJ, drawing per kind, growth with size).
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

// Render targets of the issue: a redraw at 60 per second, PROJ at twice our
// cost, and a per-pixel cost on the large maps within 1.2 of the window's.
inline constexpr double kFrameMs = 1000.0 / 60.0;
inline constexpr double kRatioTarget = 0.5;
inline constexpr double kGrowthTarget = 1.2;

void PrintEngineTable(std::ostream& out, const MedianReporter& r, int repetitions);
void PrintRenderTable(std::ostream& out, const MedianReporter& r, int repetitions);
void PrintGrowthTable(std::ostream& out, const MedianReporter& r, const std::vector<int>& positions);
void PrintSummary(std::ostream& out, const MedianReporter& r, const std::vector<int>& growth);
void PrintLoadNote(std::ostream& out, const MedianReporter& r);

// Positions ordered by their drawing time with all three layers, slowest first.
std::vector<int> SlowestRenders(const MedianReporter& r);

}  // namespace bench
