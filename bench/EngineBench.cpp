// Per-point cost of our Forward and Inverse, and of PROJ on the same points.
#include <benchmark/benchmark.h>
#include <proj.h>

#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "bench/BenchSetup.h"
#include "bench/ProjEquivalents.h"
#include "mapimage/PictureSpan.h"
#include "tools/common/ProjectionSetup.h"

namespace bench {

volatile double gSink = 0;

void SetUpKind(int position, int width, int height, TGxProjectionL& p) {
  ProjectionSetup s;
  s.position = position;
  s.width = width;
  s.height = height;
  ApplySetup(s, p);
}

const LonLatSet& GlobePoints() {
  static const LonLatSet set = [] {
    LonLatSet s;
    s.lon.reserve(kMapPoints);
    s.lat.reserve(kMapPoints);
    for (int r = 0; r < kMapHeight; ++r)
      for (int c = 0; c < kMapWidth; ++c) {
        s.lon.push_back(-180.0 + (c + 0.5) * 360.0 / kMapWidth);
        s.lat.push_back(90.0 - (r + 0.5) * 180.0 / kMapHeight);
      }
    return s;
  }();
  return set;
}

std::string KindLabel(int position) {
  std::string_view name = EnumName(CatalogueAt(position).Kind);
  if (name.substr(0, 2) == "mp") name.remove_prefix(2);
  return std::string(name);
}

namespace {

std::string Pos2(int position) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", position);
  return text;
}

void Configure(benchmark::internal::Benchmark* b, const Options& o, double minTime) {
  b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(minTime)->Repetitions(o.repetitions);
  if (o.repetitions > 1) b->ReportAggregatesOnly(true);
}

void PerPointCounter(benchmark::State& state) {
  // Seconds per point, shown with its SI prefix ("45.1n" = 45.1 ns).
  state.counters["per_pt"] = benchmark::Counter(
      static_cast<double>(kMapPoints),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void OurForward(benchmark::State& state, int position) {
  TGxProjectionL p;
  SetUpKind(position, kMapWidth, kMapHeight, p);
  const LonLatSet& pts = GlobePoints();
  const double* lon = pts.lon.data();
  const double* lat = pts.lat.data();
  double sx = 0, sy = 0;
  long codes = 0;
  for (auto _ : state) {
    for (int i = 0; i < kMapPoints; ++i) {
      p.Forward(lon[i], lat[i]);
      sx += p.X;
      sy += p.Y;
      codes += p.ErrorCode;
    }
  }
  gSink = sx + sy + static_cast<double>(codes);
  PerPointCounter(state);
}

std::map<int, double>& EarthShares() {
  static std::map<int, double> shares;
  return shares;
}

// The colour pass's order: row by row, every pixel of the window's map.
void OurInverse(benchmark::State& state, int position) {
  TGxProjectionL p;
  SetUpKind(position, kMapWidth, kMapHeight, p);
  double sx = 0, sy = 0;
  long codes = 0, accepted = 0;
  for (auto _ : state) {
    accepted = 0;
    for (int r = 0; r < kMapHeight; ++r)
      for (int c = 0; c < kMapWidth; ++c) {
        p.Inverse(c, r);
        sx += p.X;
        sy += p.Y;
        codes += p.ErrorCode;
        accepted += p.ErrorCode == 0;
      }
  }
  gSink = sx + sy + static_cast<double>(codes);
  EarthShares()[position] = static_cast<double>(accepted) / kMapPoints;
  PerPointCounter(state);
}

// The colour pass's own work for the window's Earth picture (300 x 150,
// nearest pixel): its routine (NearestSourcePixels) over every row of the
// window's map with the picture's rows made known, as one thread of the pass
// runs it.
void OurRowInverse(benchmark::State& state, int position) {
  TGxProjectionL p;
  SetUpKind(position, kMapWidth, kMapHeight, p);
  const TPictureGrid grid(300, 150);
  p.SetPictureRows(grid.CH);
  const bool mirror = PictureMirror(p);
  std::vector<double> lon(kMapWidth), lat(kMapWidth);
  std::vector<int> code(kMapWidth);
  long sum = 0;
  for (auto _ : state)
    for (int r = 0; r < kMapHeight; ++r)
      NearestSourcePixels(p, grid, mirror, r, 0, 1, kMapWidth, lon.data(), lat.data(), code.data(),
                          [&sum](int, int px, int py) { sum += px + py; });
  gSink = static_cast<double>(sum);
  PerPointCounter(state);
}

// PROJ's input: the globe points in radians for the forward, and for the
// inverse the window's pixels turned into PROJ's plane units beforehand, so
// that both sides transform exactly the same positions.
struct ProjInput {
  std::vector<double> x, y;
};

const ProjInput& RadianPoints() {
  static const ProjInput in = [] {
    ProjInput s;
    const LonLatSet& pts = GlobePoints();
    for (int i = 0; i < kMapPoints; ++i) {
      s.x.push_back(pts.lon[i] * gx::kDegToRad);
      s.y.push_back(pts.lat[i] * gx::kDegToRad);
    }
    return s;
  }();
  return in;
}

ProjInput PlanePoints(const TGxProjectionL& p, double unit) {
  ProjInput s;
  s.x.reserve(kMapPoints);
  s.y.reserve(kMapPoints);
  for (int r = 0; r < kMapHeight; ++r)
    for (int c = 0; c < kMapWidth; ++c) {
      s.x.push_back((c - p.X0) / p.Radius * unit);
      s.y.push_back((p.Y0 - r) / p.Radius * unit);
    }
  return s;
}

// False when PROJ has no operation in that direction.
bool ProjRun(benchmark::State& state, const std::string& definition, PJ_DIRECTION direction,
             const ProjInput& in) {
  PJ_CONTEXT* ctx = proj_context_create();
  // Refused points must not cost a log line each.
  proj_log_level(ctx, PJ_LOG_NONE);
  PJ* op = proj_create(ctx, definition.c_str());
  if (!op) {
    state.SkipWithError(("proj_create failed: " + definition).c_str());
    proj_context_destroy(ctx);
    return true;
  }
  // Some operations have no inverse (wag7): timing their refusals would
  // compare our inverse with nothing.
  if (direction == PJ_INV && !proj_pj_info(op).has_inverse) {
    state.SkipWithError(("PROJ has no inverse: " + definition).c_str());
    proj_destroy(op);
    proj_context_destroy(ctx);
    return false;
  }
  std::vector<double> x(in.x.size()), y(in.y.size());
  const std::size_t bytes = in.x.size() * sizeof(double);
  double sum = 0;
  for (auto _ : state) {
    // PROJ transforms in place: a fresh copy each round, outside the clock.
    state.PauseTiming();
    std::memcpy(x.data(), in.x.data(), bytes);
    std::memcpy(y.data(), in.y.data(), bytes);
    state.ResumeTiming();
    proj_trans_generic(op, direction, x.data(), sizeof(double), x.size(), y.data(),
                       sizeof(double), y.size(), nullptr, 0, 0, nullptr, 0, 0);
    benchmark::ClobberMemory();
    sum += x[x.size() / 2] + y[y.size() / 3];
  }
  gSink = sum;
  proj_destroy(op);
  proj_context_destroy(ctx);
  PerPointCounter(state);
  return true;
}

std::map<int, ProjKindInfo>& ProjKindTable() {
  static std::map<int, ProjKindInfo> table;
  return table;
}

}  // namespace

std::string EngineName(const char* direction, int position) {
  return std::string("Ours/") + direction + "/" + Pos2(position) + "_" + KindLabel(position);
}

std::string ProjName(const char* direction, int position) {
  return std::string("PROJ/") + direction + "/" + Pos2(position) + "_" + KindLabel(position);
}

std::string RenderName(int position, int width, int height, bool coast) {
  const char* group = width == kMapWidth && height == kMapHeight ? "Render/" : "Growth/";
  return group + std::to_string(width) + "x" + std::to_string(height) +
         (coast ? "/colour+grid+coast/" : "/colour+grid/") + Pos2(position) + "_" +
         KindLabel(position);
}

double EarthShare(int position) {
  const auto it = EarthShares().find(position);
  return it == EarthShares().end() ? std::numeric_limits<double>::quiet_NaN() : it->second;
}

const ProjKindInfo* ProjInfoAt(int position) {
  const auto& table = ProjKindTable();
  const auto it = table.find(position);
  return it == table.end() ? nullptr : &it->second;
}

void RegisterEngineBenchmarks(const Options& o) {
  GlobePoints();
  for (int pos = kFirstListedPosition; pos < kListCount; ++pos) {
    Configure(benchmark::RegisterBenchmark(EngineName("Forward", pos).c_str(), OurForward, pos), o,
              o.engineMinTime);
    Configure(benchmark::RegisterBenchmark(EngineName("Inverse", pos).c_str(), OurInverse, pos), o,
              o.engineMinTime);
    Configure(benchmark::RegisterBenchmark(EngineName("Row", pos).c_str(), OurRowInverse, pos), o,
              o.engineMinTime);
  }
}

void RegisterProjBenchmarks(const Options& o) {
  for (int pos = kFirstListedPosition; pos < kListCount; ++pos) {
    TGxProjectionL p;
    SetUpKind(pos, kMapWidth, kMapHeight, p);
    const std::optional<ProjEquivalent> eq = ProjEquivalentOf(p);
    if (!eq) continue;
    ProjKindInfo& info = ProjKindTable()[pos];
    info.equivalent = *eq;
    const std::string definition = eq->definition;
    const double unit = eq->unit;
    // The shape check and the inverse's input are made when the benchmark
    // first runs, so that a filtered run does not pay for all kinds.
    Configure(benchmark::RegisterBenchmark(
                  ProjName("Forward", pos).c_str(),
                  [pos, &info](benchmark::State& s) {
                    if (!info.checked) {
                      TGxProjectionL kind;
                      SetUpKind(pos, kMapWidth, kMapHeight, kind);
                      info.check = CheckShape(kind, info.equivalent);
                      info.checked = true;
                    }
                    ProjRun(s, info.equivalent.definition, PJ_FWD, RadianPoints());
                  }),
              o, o.engineMinTime);
    Configure(benchmark::RegisterBenchmark(
                  ProjName("Inverse", pos).c_str(),
                  [pos, definition, unit, &info](benchmark::State& s) {
                    TGxProjectionL kind;
                    SetUpKind(pos, kMapWidth, kMapHeight, kind);
                    info.noInverse = !ProjRun(s, definition, PJ_INV, PlanePoints(kind, unit));
                  }),
              o, o.engineMinTime);
  }
}

}  // namespace bench
