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
// At the end a table per kind and the targets: a preview within 33 ms, the
// distortion maps within 4 times the Earth picture, Tissot's indicatrices
// within 5 ms, the read-out within 1 ms.
//
//   weltnetz-interactive-bench [Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <QApplication>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <utility>

#include "bench/MedianReporter.h"

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

// The reference of the distortion map's cost: one exact inverse of every
// pixel (InverseRow with its fold, as the Earth picture's pass made it before
// it learnt to skip the fold and the conics' latitudes), on this thread.
void ExactInverse(benchmark::State& state, int position) {
  TGxProjectionL p = WindowSnapshot(position, false).projection;
  std::vector<double> lon(kWidth), lat(kWidth);
  std::vector<int> code(kWidth);
  for (auto _ : state) {
    for (int r = 0; r < kHeight; ++r) p.InverseRow(r, 0, kWidth, lon.data(), lat.data(), code.data());
    gSink = code[kWidth / 2];
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

constexpr double kPreviewMs = 33, kDistortionRatio = 4, kTissotMs = 5, kReadoutUs = 1000;
constexpr int kRatioRuns = 3;

// The worst value of one column, and how many kinds miss its target.
struct Worst {
  double value = -1;
  int position = -1, misses = 0;
  void Take(double v, int pos, double target) {
    if (std::isnan(v)) return;
    misses += v > target;
    if (v > value) value = v, position = pos;
  }
  void Print(std::ostream& out, const char* what, const char* unit, double target) const {
    if (position < 0) return;
    char line[256];
    std::snprintf(line, sizeof line, "  %s <= %g%s: worst %.2f%s (%s, pos %d); %d of %d kinds miss\n",
                  what, target, unit, value, unit,
                  std::string(EnumName(CatalogueAt(position).Kind)).c_str(), position, misses,
                  kListCount - kFirstListedPosition);
    out << line;
  }
};

void PrintTable(std::ostream& out, const bench::MedianReporter& r) {
  auto ms = [&](const char* what, int pos) { return r.MedianNs(Name(what, pos)) / 1e6; };
  auto us = [&](const char* what, int pos) { return r.MedianNs(Name(what, pos)) / 1e3; };
  char line[512];
  std::snprintf(line, sizeof line,
                "\nExploring the window's map, %dx%d: ms per drawing (preview, full drawing, "
                "picture layer alone as Earth picture, area and angle distortion map, one exact "
                "inverse of every pixel, Tissot's indicatrices alone), us per mouse move "
                "(read-out, drag step); the slower distortion map against the picture layer "
                "(dist/p) and against the exact inverse (dist/i), from the median of %d runs "
                "of each; '!' marks a miss\n",
                kWidth, kHeight, kRatioRuns);
  out << line;
  std::snprintf(line, sizeof line, "%-3s %-20s %8s %7s %8s %7s %7s %7s %7s %7s %7s %8s %8s\n",
                "pos", "kind", "preview", "full", "picture", "area", "angle", "inverse", "dist/p",
                "dist/i", "tissot", "readout", "drag");
  out << line;
  Worst preview, ratio, ratioExact, tissot, readout;
  for (int pos = kFirstListedPosition; pos < kListCount; ++pos) {
    const double p = ms("preview", pos), pic = ms("picture", pos), t = ms("tissot", pos),
                 read = us("readout", pos), exact = ms("inverse", pos);
    const double distortion = std::max(ms("area", pos), ms("angle", pos));
    const double worse = distortion / pic, worseExact = distortion / exact;
    preview.Take(p, pos, kPreviewMs);
    ratio.Take(worse, pos, kDistortionRatio);
    ratioExact.Take(worseExact, pos, kDistortionRatio);
    tissot.Take(t, pos, kTissotMs);
    readout.Take(read, pos, kReadoutUs);
    auto mark = [](double v, double target) { return v > target ? "!" : " "; };
    std::snprintf(line, sizeof line,
                  "%-3d %-20s %7s%s %7s %8s %7s %7s %7s %6s%s %6s%s %6s%s %8s %8s\n", pos,
                  std::string(EnumName(CatalogueAt(pos).Kind)).substr(2, 20).c_str(),
                  bench::Cell(p, "%.2f").c_str(), mark(p, kPreviewMs),
                  bench::Cell(ms("full", pos), "%.2f").c_str(), bench::Cell(pic, "%.2f").c_str(),
                  bench::Cell(ms("area", pos), "%.2f").c_str(),
                  bench::Cell(ms("angle", pos), "%.2f").c_str(), bench::Cell(exact, "%.2f").c_str(),
                  bench::Cell(worse, "%.2f").c_str(), mark(worse, kDistortionRatio),
                  bench::Cell(worseExact, "%.2f").c_str(), mark(worseExact, kDistortionRatio),
                  bench::Cell(t, "%.2f").c_str(), mark(t, kTissotMs),
                  bench::Cell(read, "%.2f").c_str(), bench::Cell(us("drag", pos), "%.1f").c_str());
    out << line;
  }
  out << "\nTargets\n";
  preview.Print(out, "preview", " ms", kPreviewMs);
  ratio.Print(out, "distortion map / Earth picture", "x", kDistortionRatio);
  ratioExact.Print(out, "distortion map / exact inverse", "x", kDistortionRatio);
  tissot.Print(out, "Tissot's indicatrices", " ms", kTissotMs);
  readout.Print(out, "read-out", " us", kReadoutUs);
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  if (!bench::InitializeInterleaved(argc, argv)) return 2;
  for (int pos = kFirstListedPosition; pos < kListCount; ++pos) {
    for (bool preview : {true, false})
      benchmark::RegisterBenchmark(Name(preview ? "preview" : "full", pos).c_str(), Drawing, pos,
                                   preview)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime()
          ->MinTime(0.2);
    // The distortion map's ratios compare two figures taken apart in time;
    // on a shared machine one run of either can be a third off, so those
    // figures are the median of kRatioRuns runs each.
    for (auto [what, name] : {std::pair{Alone::Picture, "picture"}, {Alone::Area, "area"},
                              {Alone::Angle, "angle"}, {Alone::Tissot, "tissot"}})
      benchmark::RegisterBenchmark(Name(name, pos).c_str(), LayerAlone, pos, what)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime()
          ->MinTime(0.2)
          ->Repetitions(what == Alone::Tissot ? 1 : kRatioRuns);
    benchmark::RegisterBenchmark(Name("inverse", pos).c_str(), ExactInverse, pos)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MinTime(0.2)
        ->Repetitions(kRatioRuns);
    benchmark::RegisterBenchmark(Name("readout", pos).c_str(), Readout, pos)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(Name("drag", pos).c_str(), DragStep, pos)
        ->Unit(benchmark::kMicrosecond);
  }
  bench::MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintTable(std::cout, reporter);
  bench::PrintLoadNote(std::cout, reporter);
  benchmark::Shutdown();
  return 0;
}
