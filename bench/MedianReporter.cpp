#include "bench/MedianReporter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include <unistd.h>

namespace bench {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double NsPerUnit(benchmark::TimeUnit unit) {
  switch (unit) {
    case benchmark::kNanosecond: return 1;
    case benchmark::kMicrosecond: return 1e3;
    case benchmark::kMillisecond: return 1e6;
    default: return 1e9;
  }
}

}  // namespace

// Colours only on a terminal: a log file should read as plain text.
MedianReporter::MedianReporter()
    : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

void MedianReporter::ReportRuns(const std::vector<Run>& runs) {
  std::vector<Run> shown;
  for (const Run& run : runs) {
    const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
    const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
    if (run.error_occurred || single || median) shown.push_back(run);
    if (run.error_occurred || (!single && !median)) continue;
    const double wall = run.GetAdjustedRealTime(), cpu = run.GetAdjustedCPUTime();
    medianNs_[run.run_name.function_name] =
        (cpu > 0 ? std::min(wall, cpu) : wall) * NsPerUnit(run.time_unit);
    if (cpu > 0) wallToCpu_.push_back(wall / cpu);
  }
  if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
}

double MedianReporter::WallToCpu() const {
  if (wallToCpu_.empty()) return kNaN;
  std::vector<double> v = wallToCpu_;
  std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
  return v[v.size() / 2];
}

double MedianReporter::MedianNs(const std::string& name) const {
  const auto it = medianNs_.find(name);
  return it == medianNs_.end() ? kNaN : it->second;
}

std::string Cell(double v, const char* format) {
  if (std::isnan(v)) return "-";
  char text[48];
  std::snprintf(text, sizeof text, format, v);
  return text;
}

void PrintLoadNote(std::ostream& out, const MedianReporter& r) {
  const double w = r.WallToCpu();
  if (std::isnan(w)) return;
  char line[256];
  std::snprintf(line, sizeof line,
                "\nWall / CPU time, median over all benchmarks: %.2f (1.00 on an idle machine; "
                "above it, other processes shared the cores: the tables then use the CPU "
                "time, and even that is somewhat high)\n",
                w);
  out << line;
}

bool InitializeInterleaved(int argc, char** argv) {
  const std::string flag = "--benchmark_enable_random_interleaving";
  std::vector<char*> args(argv, argv + argc);
  std::string on = flag + "=true";
  if (std::none_of(args.begin(), args.end(),
                   [&](const char* a) { return std::string(a).rfind(flag, 0) == 0; }))
    args.insert(args.begin() + (argc > 0 ? 1 : 0), on.data());
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&count, args.data());
  return !benchmark::ReportUnrecognizedArguments(count, args.data());
}

}  // namespace bench
