// Shared pieces of weltnetz-bench: the options, the fixed point sets, the
// window's set-up of a kind, and the registration of each benchmark group.
#pragma once

#include <string>
#include <vector>

#include "bench/ProjEquivalents.h"
#include "projection/GxProjectionL.h"

namespace bench {

// The window's map: every per-point figure is for this many points.
inline constexpr int kMapWidth = 528;
inline constexpr int kMapHeight = 507;
inline constexpr int kMapPoints = kMapWidth * kMapHeight;  // 267,696

struct Options {
  int repetitions = 5;        // medians are taken over this many repetitions
  double engineMinTime = 0.05;  // seconds per repetition, per-point benchmarks
  double renderMinTime = 0.1;   // seconds per repetition, drawings
  bool growth = true;           // the larger maps of a few kinds
};

// A kind prepared as the window prepares it: the catalogue position's kind,
// its ellipsoid index, the defaults for a width x height map and the map
// centre at the integer halves.
void SetUpKind(int position, int width, int height, TGxProjectionL& p);

// Degrees: the centres of a 528 x 507 grid of equal cells over the globe, so
// that no point sits exactly on a pole or on the date line, where kinds take
// their special branches.
struct LonLatSet {
  std::vector<double> lon, lat;
};
const LonLatSet& GlobePoints();

// Short identifier of a catalogue position's kind, e.g. "Mollweide".
std::string KindLabel(int position);

// Benchmark names, shared by the registration and the tables.
std::string EngineName(const char* direction, int position);  // "Forward" / "Inverse"
std::string ProjName(const char* direction, int position);
std::string RenderName(int position, int width, int height, bool coast);

void RegisterEngineBenchmarks(const Options& options);
void RegisterProjBenchmarks(const Options& options);
// Render benchmarks of every kind on the window's map.
void RegisterRenderBenchmarks(const Options& options);
// The larger maps, for the given positions (registered after the first run,
// so that the slowest kinds can be among them).
void RegisterGrowthBenchmarks(const Options& options, const std::vector<int>& positions);
bool RenderAvailable();
// Drops the map controls of the drawing benchmarks (before the application
// object goes).
void ReleaseRenderRigs();

// The PROJ side of a kind, filled by RegisterProjBenchmarks; null for kinds
// without an equivalent.
struct ProjKindInfo {
  ProjEquivalent equivalent;
  ShapeCheck check;
  bool checked = false;  // the check runs with the kind's first PROJ benchmark
  bool noInverse = false;  // found so by the kind's PROJ inverse benchmark
};
const ProjKindInfo* ProjInfoAt(int position);

// Share of the window's pixels that Inverse accepts (the Earth on the map),
// from the kind's inverse benchmark; NaN when that did not run.
double EarthShare(int position);

// Volatile, so that no result of a benchmark loop can be optimised away.
extern volatile double gSink;

}  // namespace bench
