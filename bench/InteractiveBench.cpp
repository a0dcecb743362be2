// weltnetz-interactive-bench: what the hand feels when it explores the map.
// Per listed kind at the window's 528 x 507 with all three layers: a preview
// frame (a quarter of the pixels, as drawn while the mouse drags or the wheel
// turns) and the full drawing that follows once the mouse rests, both as the
// background renderer draws them; per mouse move, the cursor read-out and
// the search for the centre that keeps the grabbed point under the cursor;
// and the picture layer alone as Earth picture, area and angle distortion
// map, and Tissot's indicatrices alone (the distortion maps' cost against the
// Earth picture's).
//
//   weltnetz-interactive-bench [Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <QApplication>

#include <atomic>
#include <cstdlib>
#include <string>
#include <utility>

#include "app/MapNavigation.h"
#include "mapimage/Coastlines.h"
#include "mapimage/MapRenderer.h"
#include "projection/Catalogue.h"

namespace {

constexpr int kWidth = 528, kHeight = 507;
volatile int gSink = 0;

// The window's map of a kind, as its snapshot.
TMapSnapshot WindowSnapshot(int position, bool preview) {
  static const auto coast = std::make_shared<const std::vector<TCoastPoint>>(LoadCoastlines());
  static const QImage picture = LoadEarthPicture();
  TGxProjectionL p;
  SetUpLikeWindow(p, CatalogueAt(position).Kind, kWidth, kHeight);
  p.ForwardCutOff = true;  // the window's "Randbeschnitt"
  p.GridMaxLon = 180;
  p.GridMinLon = -180;
  p.GridMaxLat = 90;
  p.GridMinLat = -90;
  p.GridSpacing = 30;
  p.GridStep = 1;
  TMapLook look;
  look.ColorEmpty = QColor(255, 255, 255);
  look.DrawColorMap = look.DrawGrid = look.DrawCoast = true;
  look.Preview = preview;
  return TMapSnapshot::Of(&p, look, &picture, coast, true, QSize(kWidth, kHeight));
}

void Drawing(benchmark::State& state, int position, bool preview) {
  const TMapSnapshot s = WindowSnapshot(position, preview);
  std::atomic<bool> stop{false};
  TRenderedMap out;
  for (auto _ : state) {
    RenderSnapshot(s, out, stop);
    gSink = out.image.pixelColor(kWidth / 2, kHeight / 2).red();
  }
}

// One layer alone: the picture layer (Earth picture or a distortion map, no
// lines), or Tissot's indicatrices on a blank map.
enum class Alone { Picture, Area, Angle, Tissot };
void LayerAlone(benchmark::State& state, int position, Alone what) {
  TMapSnapshot s = WindowSnapshot(position, false);
  s.look.DrawGrid = s.look.DrawCoast = false;
  s.look.DrawColorMap = what != Alone::Tissot;
  s.look.Tissot = what == Alone::Tissot;
  if (what == Alone::Area) s.look.Background = TBackground::AreaDistortion;
  if (what == Alone::Angle) s.look.Background = TBackground::AngleDistortion;
  std::atomic<bool> stop{false};
  TRenderedMap out;
  for (auto _ : state) {
    RenderSnapshot(s, out, stop);
    gSink = out.image.pixelColor(kWidth / 2, kHeight / 2).red();
  }
}

void Readout(benchmark::State& state, int position) {
  TGxProjectionL probe = WindowSnapshot(position, false).projection;
  int i = 0;
  for (auto _ : state) {
    const QString text = ReadoutText(probe, 200 + (i % 97), 150 + (i % 89));
    gSink = static_cast<int>(text.size());
    ++i;
  }
}

// One mouse move of a drag: the search for the centre (the azimuthal kinds
// search longitude and latitude, the others the longitude only).
void DragStep(benchmark::State& state, int position) {
  TGxProjectionL start = WindowSnapshot(position, false).projection;
  const bool phi0Free = position == 4 || position == 31 || position == 44 || position == 51;
  double lon, lat;
  TGxProjectionL look = start;
  if (!PointUnder(look, 270, 260, lon, lat)) {
    state.SkipWithError("no point under the press");
    return;
  }
  for (auto _ : state) {
    TGxProjectionL probe = start;
    double theta = probe.Theta * gx::kRadToDeg, phi0 = probe.Phi0 * gx::kRadToDeg;
    CentreKeepingPoint(probe, lon, lat, 300, 280, phi0Free, theta, phi0);
    gSink = static_cast<int>(theta);
  }
}

std::string Name(const char* what, int position) {
  const std::string_view e = EnumName(CatalogueAt(position).Kind);
  return std::string(what) + "/" + std::to_string(position) + "/" + std::string(e);
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  for (int pos = kFirstListedPosition; pos < kListCount; ++pos) {
    for (bool preview : {true, false})
      benchmark::RegisterBenchmark(Name(preview ? "preview" : "full", pos).c_str(), Drawing, pos,
                                   preview)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime()
          ->MinTime(0.2);
    for (auto [what, name] : {std::pair{Alone::Picture, "picture"}, {Alone::Area, "area"},
                              {Alone::Angle, "angle"}, {Alone::Tissot, "tissot"}})
      benchmark::RegisterBenchmark(Name(name, pos).c_str(), LayerAlone, pos, what)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime()
          ->MinTime(0.2);
    benchmark::RegisterBenchmark(Name("readout", pos).c_str(), Readout, pos)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(Name("drag", pos).c_str(), DragStep, pos)
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
