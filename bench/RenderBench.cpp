// The whole drawing: the map control's Render with the window's settings.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <utility>

#include "bench/BenchSetup.h"
#include "mapimage/GxMapImageL.h"

namespace bench {

namespace {

// One control per map size, as the window keeps one control: the image is
// sized at the first drawing only, so each size needs a control of its own.
struct RenderRig {
  TGxProjectionL projection;
  std::unique_ptr<TGxMapImageL> map;
};

std::map<std::pair<int, int>, std::unique_ptr<RenderRig>>& Rigs() {
  static std::map<std::pair<int, int>, std::unique_ptr<RenderRig>> rigs;
  return rigs;
}

RenderRig& RigFor(int width, int height) {
  auto& slot = Rigs()[{width, height}];
  if (!slot) {
    slot = std::make_unique<RenderRig>();
    slot->map = std::make_unique<TGxMapImageL>();
    TGxMapImageL& m = *slot->map;
    m.resize(width, height);
    TMapSettings& s = m.MapSettings;
    s.GxProjection = &slot->projection;
    s.AntiAlias = false;
    s.ColorEmpty = QColor(0xFF, 0xFF, 0xFF);
    s.ColorGrid = QColor(0x80, 0x80, 0x80);
    s.ColorCoast = QColor(0x00, 0xFF, 0x00);
    s.GridValues = false;
    s.LineWidth = 1;
    s.UseColorEmpty = true;
    s.DrawColorMap = true;
    s.DrawGrid = true;
    m.SetGridRange(180, -180, 90, -90, 30, 1);
  }
  return *slot;
}

void RenderKind(benchmark::State& state, int position, int width, int height, bool coast) {
  RenderRig& rig = RigFor(width, height);
  SetUpKind(position, width, height, rig.projection);
  rig.map->MapSettings.DrawCoast = coast;
  // The first drawing of a control creates its image; not what is measured.
  rig.map->Render();
  for (auto _ : state) rig.map->Render();
  gSink = rig.map->MainMap().pixelColor(width / 2, height / 2).red();
  state.counters["per_px"] = benchmark::Counter(
      static_cast<double>(width) * height,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void Register(const Options& o, int position, int width, int height, bool coast) {
  benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(
      RenderName(position, width, height, coast).c_str(), RenderKind, position, width, height,
      coast);
  // The process's CPU time, so that a drawing spread over threads is not
  // undercounted by looking at this thread alone.
  b->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(
      o.renderMinTime)->Repetitions(o.repetitions);
  if (o.repetitions > 1) b->ReportAggregatesOnly(true);
}

}  // namespace

bool RenderAvailable() { return true; }

void RegisterRenderBenchmarks(const Options& o) {
  for (int pos = kFirstListedPosition; pos < kListCount; ++pos) {
    Register(o, pos, kMapWidth, kMapHeight, false);
    Register(o, pos, kMapWidth, kMapHeight, true);
  }
}

void RegisterGrowthBenchmarks(const Options& o, const std::vector<int>& positions) {
  for (int side : {1024, 2048})
    for (int pos : positions) Register(o, pos, side, side, true);
}

void ReleaseRenderRigs() { Rigs().clear(); }

}  // namespace bench
