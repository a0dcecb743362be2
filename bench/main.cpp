// weltnetz-bench: our projection engine against PROJ on the window's points,
// and the map control's whole drawing per kind and per map size.
//
//   weltnetz-bench [--reps N] [--min-time S] [--quick] [--no-growth] [--growth]
//                  [Google Benchmark flags]
//
// The closing tables are printed after Google Benchmark's own lines.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "bench/BenchSetup.h"

#ifdef WELTNETZ_BENCH_RENDER
#include <QApplication>
#else
namespace bench {
bool RenderAvailable() { return false; }
void RegisterRenderBenchmarks(const Options&) {}
void RegisterGrowthBenchmarks(const Options&, const std::vector<int>&) {}
void ReleaseRenderRigs() {}
}  // namespace bench
#endif

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: weltnetz-bench [--reps N] [--min-time S] [--quick] [--no-growth] [--growth]\n"
               "                      [--benchmark_filter=REGEX] [other Google Benchmark flags]\n"
               "  --reps N      repetitions per benchmark, the tables show their median (5)\n"
               "  --min-time S  seconds per repetition at least (0.05 per point, 0.1 drawing)\n"
               "  --quick       one short repetition each: a smoke run, not a measurement\n"
               "  --no-growth   skip the 1024x1024 and 2048x2048 drawings\n"
               "  --growth      run them even with a --benchmark_filter\n");
}

// Reads our own options and removes them, leaving Google Benchmark's.
bool ParseOptions(int& argc, char** argv, bench::Options& o, bool& filtered, bool& forceGrowth) {
  int out = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--reps" && i + 1 < argc) {
      char* end = nullptr;
      const long n = std::strtol(argv[++i], &end, 10);
      if (*end || n < 1 || n > 1000) return false;
      o.repetitions = static_cast<int>(n);
    } else if (a == "--quick") {
      o.repetitions = 1;
      o.engineMinTime = 0.001;
      o.renderMinTime = 0.001;
    } else if (a == "--min-time" && i + 1 < argc) {
      char* end = nullptr;
      const double t = std::strtod(argv[++i], &end);
      if (*end || !(t > 0 && t <= 600)) return false;
      o.engineMinTime = o.renderMinTime = t;
    } else if (a == "--no-growth") {
      o.growth = false;
    } else if (a == "--growth") {
      forceGrowth = true;
    } else if (a == "--help" || a == "-h") {
      return false;
    } else {
      if (a.rfind("--benchmark_filter", 0) == 0) filtered = true;
      argv[out++] = argv[i];
    }
  }
  argc = out;
  argv[argc] = nullptr;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  bench::Options options;
  bool filtered = false, forceGrowth = false;
  if (!ParseOptions(argc, argv, options, filtered, forceGrowth)) {
    Usage();
    return 2;
  }

#ifdef WELTNETZ_BENCH_RENDER
  // No window is shown: the offscreen platform keeps the figures free of a
  // display server and lets the program run without one.
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
#endif

  if (!bench::InitializeInterleaved(argc, argv)) return 2;

  bench::RegisterEngineBenchmarks(options);
  bench::RegisterProjBenchmarks(options);
  bench::RegisterRenderBenchmarks(options);

  bench::MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  // The large maps: the window's first kind, two classic world maps, and the
  // two slowest kinds of the first run, so that the worst growth shows.
  std::vector<int> growth;
  if (bench::RenderAvailable() && options.growth && (!filtered || forceGrowth)) {
    growth = {4, 42, 49};
    for (int pos : bench::SlowestRenders(reporter)) {
      if (growth.size() >= 5) break;
      if (std::find(growth.begin(), growth.end(), pos) == growth.end()) growth.push_back(pos);
    }
    bench::RegisterGrowthBenchmarks(options, growth);
    benchmark::RunSpecifiedBenchmarks(&reporter, "^Growth/");
  }
  benchmark::Shutdown();

  std::cout << "\n==== weltnetz-bench summary ====\n";
  bench::PrintEngineTable(std::cout, reporter, options.repetitions);
  if (bench::RenderAvailable()) {
    bench::PrintRenderTable(std::cout, reporter, options.repetitions);
    if (!growth.empty()) bench::PrintGrowthTable(std::cout, reporter, growth);
  } else {
    std::cout << "\n(no map control in this build: the drawing benchmarks were left out)\n";
  }
  bench::PrintSummary(std::cout, reporter, growth);
  bench::PrintLoadNote(std::cout, reporter);
  bench::ReleaseRenderRigs();
  return 0;
}
