// Fuzz target: a small map (up to 64 x 64) drawn with fuzzed projection and
// drawing settings: line width, colours, graticule range and spacing (zero and
// negative included), layer switches (the distortion maps and Tissot's
// indicatrices too), odd colour pictures. Nothing may crash,
// trip a sanitizer or hang, and the control must end ready for the next drawing.
#include <QApplication>
#include <QColor>
#include <QImage>

#include <cstdio>
#include <cstdlib>

#include "mapimage/Coastlines.h"
#include "mapimage/GxMapImageL.h"
#include "tests/fuzz/FuzzInput.h"

namespace {
TGxMapImageL* g_map = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(*argc, *argv);
  g_map = new TGxMapImageL;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  TGxMapImageL& map = *g_map;
  const int w = in.ConsumeIntegralInRange(1, 64), h = in.ConsumeIntegralInRange(1, 64);
  map.resize(w, h);
  map.SetMainMap(QImage(w, h, QImage::Format_BGR888));

  TGxProjectionL p;
  TGxConvertL convert;
  fuzz::FuzzProjection(in, p, convert, w, h);
  TMapSettings& s = map.MapSettings;
  s.GxProjection = in.ConsumeBool() ? &p : nullptr;
  s.AntiAlias = in.ConsumeBool();
  s.GridValues = in.ConsumeBool();
  s.DrawCoast = in.ConsumeBool();
  s.DrawGrid = in.ConsumeBool();
  s.DrawColorMap = in.ConsumeBool();
  s.UseColorEmpty = in.ConsumeBool();
  s.LineWidth = fuzz::FuzzDouble(in);
  s.ColorEmpty = QColor::fromRgb(in.ConsumeIntegral<std::uint32_t>());
  s.ColorGrid = QColor::fromRgb(in.ConsumeIntegral<std::uint32_t>());
  s.ColorCoast = QColor::fromRgb(in.ConsumeIntegral<std::uint32_t>());
  switch (in.ConsumeIntegralInRange(0, 4)) {
    case 0: s.SetColorMap(QImage(1, 1, QImage::Format_BGR888)); break;
    case 1: s.SetColorMap(QImage()); break;
    case 2: s.SetColorMap(QImage(3, 700, QImage::Format_Mono)); break;
    default: s.SetColorMap(LoadEarthPicture()); break;
  }
  if (in.ConsumeBool()) {
    double g[6];
    for (double& v : g) v = fuzz::FuzzDouble(in);
    map.SetGridRange(g[0], g[1], g[2], g[3], g[4], g[5]);
  } else if (s.GxProjection) {
    map.SetGridRange(180, -180, 90, -90, 30, 1);
  }
  s.Background = static_cast<TBackground>(in.ConsumeIntegralInRange(0, 2));
  s.Tissot = in.ConsumeBool();
  map.Render();

  const int e = map.MapErrorCode();
  if (map.Drawing() || !(e == 0 || e == 1 || e == 3 || e == 4 || e == 5)) {
    std::fprintf(stderr, "drawing left in state %d with map error %d\n", map.Drawing(), e);
    std::abort();
  }
  return 0;
}
