// The distortion map and Tissot's indicatrices as the map control draws
// them: only the map is coloured, a conformal map shows no angular
// distortion and an equal-area map one areal scale everywhere, equal-area
// indicatrices enclose equal areas, and the vector form is the raster form.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <queue>

#include "mapimage/DistortionLayer.h"
#include "mapimage/LineLayers.h"
#include "mapimage/TissotLayer.h"
#include "projection/Distortion.h"
#include "tests/map/MapFixture.h"

namespace {

const QColor kWhite(Qt::white);
constexpr int kBehrmann = 6, kSinusoidal = 50, kStereographic = 51, kLambertConic = 32,
              kOrthographic = 44, kInterruptedMollweide = 28, kRobinson = 49, kAzimuthal = 4;

// The map of one background alone: no graticule, no coastlines.
struct DistortionMap : WindowMap {
  explicit DistortionMap(int position, TBackground shows, int w = 528, int h = 507)
      : WindowMap(position, w, h) {
    Layers(true, false, false);
    map.MapSettings.Background = shows;
  }
  QRect Legend() const { return TDistortionLegend::Area(map.MainMap(), map.Look()); }
};

QColor ScaleColour(TBackground shows, double position) {
  return DistortionScale(shows).ColourAt(position);
}

// Steps counted, never stopped.
class Quiet : public TDrawProgress {
 public:
  Result Advance(std::int64_t) override { return Result::Quiet; }
  std::int64_t StepsToReport() const override { return 1 << 30; }
  bool Stopped() const override { return false; }
};

}  // namespace

// Pixels that the inverse refuses keep the background; the others all get a
// colour (the legend's corner aside).
TEST(DistortionMap, OnlyTheMapIsColoured) {
  struct Case {
    int position;
    double tilt;
  };
  for (const Case c : {Case{kMollweide, 0}, {kAzimuthal, 0}, {kInterruptedMollweide, 0},
                       {kRobinson, 30}, {kOrthographic, 0}}) {
    for (TBackground shows : {TBackground::AreaDistortion, TBackground::AngleDistortion}) {
      DistortionMap m(c.position, shows);
      if (c.tilt != 0) {
        m.p.SetOblique(c.tilt);
        m.p.SetAxis(m.p.Theta * kDeg, m.p.Phi0 * kDeg);
      }
      m.map.Render();
      const QImage& img = m.map.MainMap();
      const QRect legend = m.Legend();
      ASSERT_FALSE(legend.isEmpty());
      int inside = 0, painted = 0;
      for (int r = 0; r < img.height(); ++r)
        for (int col = 0; col < img.width(); ++col) {
          if (legend.contains(col, r)) continue;
          m.p.Inverse(col, r);
          const bool background = img.pixelColor(col, r) == kWhite;
          if (m.p.ErrorCode != 0) {
            ASSERT_TRUE(background) << c.position << " at " << col << "," << r;
          } else {
            ++inside;
            painted += !background;
          }
        }
      EXPECT_GT(inside, 20000) << c.position;
      EXPECT_GE(painted, inside - inside / 1000) << c.position;
    }
  }
}

// Conformal maps keep angles: their angle map is the colour of 0 degrees
// wherever the map is, on the sphere and on the ellipsoid.
TEST(DistortionMap, ConformalMapsShowNoAngularDistortion) {
  const QColor zero = ScaleColour(TBackground::AngleDistortion, 0);
  for (int position : {kMercator, kStereographic, kLambertConic}) {
    DistortionMap m(position, TBackground::AngleDistortion);
    m.map.Render();
    const QImage& img = m.map.MainMap();
    const QRect legend = m.Legend();
    int painted = 0;
    for (int r = 0; r < img.height(); ++r)
      for (int c = 0; c < img.width(); ++c) {
        const QColor got = img.pixelColor(c, r);
        if (legend.contains(c, r) || got == kWhite) continue;
        ++painted;
        ASSERT_EQ(got, zero) << position << " at " << c << "," << r;
      }
    EXPECT_GT(painted, 30000) << position;
  }
}

// Equal-area maps keep one areal scale: 1 for Mollweide and the sinusoidal,
// 1/cos 30 for Behrmann's cylinder; the area map shows that one colour.
TEST(DistortionMap, EqualAreaMapsShowTheirOneArealScale) {
  struct Case {
    int position;
    double areal;
  };
  for (const Case c : {Case{kMollweide, 1}, {kSinusoidal, 1}, {kBehrmann, 2 / std::sqrt(3.0)}}) {
    DistortionMap m(c.position, TBackground::AreaDistortion);
    m.map.Render();
    const QColor want = ScaleColour(TBackground::AreaDistortion, (std::log2(c.areal) + 2) / 4);
    const QImage& img = m.map.MainMap();
    const QRect legend = m.Legend();
    int painted = 0;
    for (int r = 0; r < img.height(); ++r)
      for (int col = 0; col < img.width(); ++col) {
        const QColor got = img.pixelColor(col, r);
        if (legend.contains(col, r) || got == kWhite) continue;
        ++painted;
        ASSERT_EQ(got, want) << c.position << " at " << col << "," << r;
      }
    EXPECT_GT(painted, 30000) << c.position;
  }
  // Mercator's areal scale grows as sec^2: the equator's row is the colour
  // of 1, the row of 45 degrees that of 2.
  DistortionMap m(kMercator, TBackground::AreaDistortion);
  m.map.MapSettings.SetColorMap(QImage());  // the distortion map needs no picture
  m.p.SetMapInput(31);                      // a sphere
  m.map.Render();
  const int x = static_cast<int>(m.p.X0) + 17;
  m.p.Forward(0, 45);
  const int row45 = static_cast<int>(std::lround(m.p.Y));
  EXPECT_EQ(m.map.MainMap().pixelColor(x, static_cast<int>(m.p.Y0)),
            ScaleColour(TBackground::AreaDistortion, 0.5));
  const QColor at45 = m.map.MainMap().pixelColor(x, row45);
  const QColor two = ScaleColour(TBackground::AreaDistortion, 0.75);
  EXPECT_LE(std::abs(at45.red() - two.red()) + std::abs(at45.green() - two.green()) +
                std::abs(at45.blue() - two.blue()),
            12);
}

// The scales are the published ones: viridis's well-known colours at its
// quarters, ColorBrewer's RdBu ends and middle; a reversed scale or a
// swapped channel order would show here.
TEST(DistortionMap, ScalesAreTheirPublishedColours) {
  struct Case {
    const TColourScale& scale;
    double position;
    QColor colour;
    int within;
  };
  const Case cases[] = {
      {ViridisScale(), 0, QColor(0x44, 0x01, 0x54), 5},
      {ViridisScale(), 0.25, QColor(0x3b, 0x52, 0x8b), 5},
      {ViridisScale(), 0.5, QColor(0x21, 0x91, 0x8c), 5},
      {ViridisScale(), 0.75, QColor(0x5e, 0xc9, 0x62), 5},
      {ViridisScale(), 1, QColor(0xfd, 0xe7, 0x25), 5},
      {BlueRedScale(), 0, QColor(0x05, 0x30, 0x61), 0},
      {BlueRedScale(), 0.5, QColor(0xf7, 0xf7, 0xf7), 0},
      {BlueRedScale(), 1, QColor(0x67, 0x00, 0x1f), 0},
      {BlueRedScale(), 0.1, QColor(0x21, 0x66, 0xac), 2},  // within a step of the class
  };
  for (const Case& c : cases) {
    const QColor got = c.scale.ColourAt(c.position);
    EXPECT_LE(std::abs(got.red() - c.colour.red()), c.within) << c.position;
    EXPECT_LE(std::abs(got.green() - c.colour.green()), c.within) << c.position;
    EXPECT_LE(std::abs(got.blue() - c.colour.blue()), c.within) << c.position;
  }
  // Beyond the ends, the ends; no value is never a colour of its own.
  EXPECT_EQ(ViridisScale().ColourAt(-3), ViridisScale().ColourAt(0));
  EXPECT_EQ(ViridisScale().ColourAt(7), ViridisScale().ColourAt(1));
  EXPECT_EQ(ViridisScale().ColourAt(std::nan("")), ViridisScale().ColourAt(0));
}

// The legend: its bar runs from the scale's first colour to its last, and
// it comes with the distortion map only.
TEST(DistortionMap, LegendShowsTheScaleInTheCorner) {
  for (TBackground shows : {TBackground::AreaDistortion, TBackground::AngleDistortion}) {
    DistortionMap m(kMollweide, shows);
    m.map.Render();
    const QImage& img = m.map.MainMap();
    const QRect legend = m.Legend();
    EXPECT_EQ(legend.left(), 6);
    EXPECT_EQ(legend.bottom(), img.height() - 7);
    bool first = false, last = false;
    for (int r = legend.top(); r <= legend.bottom(); ++r)
      for (int c = legend.left(); c <= legend.right(); ++c) {
        first |= img.pixelColor(c, r) == ScaleColour(shows, 0);
        last |= img.pixelColor(c, r) == ScaleColour(shows, 1);
      }
    EXPECT_TRUE(first && last);
    // Without the picture there is no legend: the corner stays white.
    m.map.MapSettings.DrawColorMap = false;
    m.map.MapSettings.Tissot = true;
    m.map.Render();
    for (int r = legend.top(); r <= legend.bottom(); ++r)
      for (int c = legend.left(); c <= legend.right(); ++c)
        ASSERT_EQ(m.map.MainMap().pixelColor(c, r), kWhite);
  }
  // Too small a map for the box: no legend rather than a clipped one.
  QImage tiny(120, 40, QImage::Format_BGR888);
  TMapLook look;
  look.Background = TBackground::AreaDistortion;
  EXPECT_TRUE(TDistortionLegend::Area(tiny, look).isEmpty());
}

// The probe works on a copy: drawing the map fires none of the component's
// forward events, and one thread draws what several draw.
TEST(DistortionMap, NoForwardEventsAndThreadsDrawTheSame) {
  DistortionMap many(kMollweide, TBackground::AngleDistortion);
  many.map.Render();
  DistortionMap one(kMollweide, TBackground::AngleDistortion);
  int forwards = 0, inverses = 0;
  one.p.OnForward = [&](TGxProjectionL*, double, double, int) { ++forwards; };
  one.p.OnInverse = [&](TGxProjectionL*, double, double, int) { ++inverses; };
  one.map.Render();
  EXPECT_EQ(forwards, 0);
  EXPECT_EQ(inverses, 528 * 507);
  EXPECT_EQ(one.map.MainMap(), many.map.MainMap());
}

// ---- Tissot's indicatrices -------------------------------------------------------

namespace {

// Pixels of the region around (x, y) bounded by the outline colour, or -1
// when the region reaches the image's edge (an open outline).
int EnclosedPixels(const QImage& img, int x, int y, const QColor& outline) {
  const int W = img.width(), H = img.height();
  std::vector<char> seen(static_cast<std::size_t>(W) * H, 0);
  std::queue<std::pair<int, int>> todo;
  todo.push({x, y});
  int count = 0;
  while (!todo.empty()) {
    const auto [cx, cy] = todo.front();
    todo.pop();
    if (cx < 0 || cy < 0 || cx >= W || cy >= H) return -1;
    char& s = seen[static_cast<std::size_t>(cy) * W + cx];
    if (s || img.pixelColor(cx, cy) == outline) continue;
    s = 1;
    ++count;
    todo.push({cx + 1, cy});
    todo.push({cx - 1, cy});
    todo.push({cx, cy + 1});
    todo.push({cx, cy - 1});
  }
  return count;
}

// The enclosed pixel areas of the indicatrices at |lon| <= 120, |lat| <= 60
// on a large map of the kind.
std::vector<int> IndicatrixAreas(int position) {
  WindowMap m(position, 1300, 700);
  m.Layers(false, false, false);
  m.map.MapSettings.Tissot = true;
  m.p.Radius = 200;
  m.map.Render();
  const QImage& img = m.map.MainMap();
  const QColor outline = m.map.MapSettings.ColorTissot;
  std::vector<int> areas;
  for (double lat = -60; lat <= 60; lat += 30)
    for (double lon = -120; lon <= 120; lon += 30) {
      m.p.Forward(lon, lat);
      areas.push_back(EnclosedPixels(img, static_cast<int>(std::lround(m.p.X)),
                                     static_cast<int>(std::lround(m.p.Y)), outline));
    }
  return areas;
}

}  // namespace

// On an equal-area map every indicatrix encloses the same area, that of the
// circle of IndicatrixRadius (pi r^2 less about half its one-pixel outline);
// on the equirectangular map they grow as sec(lat).
TEST(Tissot, EqualAreaIndicatricesEncloseEqualAreas) {
  const double r = 0.25 * 200 * 30 / kDeg;  // IndicatrixRadius for R = 200
  const double circle = 3.14159265358979 * (r - 0.5) * (r - 0.5);
  for (int position : {kMollweide, kSinusoidal, 27 /* Hammer */, 15 /* Eckert IV */}) {
    const std::vector<int> areas = IndicatrixAreas(position);
    ASSERT_EQ(areas.size(), 45u);
    for (int a : areas) {
      ASSERT_GT(a, 0) << position;
      EXPECT_NEAR(a / circle, 1, 0.05) << position;
    }
  }
  const std::vector<int> plate = IndicatrixAreas(kEquirectangular);
  EXPECT_NEAR(static_cast<double>(plate.front()) / plate[22], 2, 0.1);  // 60 degrees against 0
}

// Draw is the trace drawn: the same pixels, in the look's colour and width.
TEST(Tissot, TraceIsTheRaster) {
  for (int position : {kAzimuthal, kMollweide, kMercator}) {
    WindowMap m(position);
    TMapLook look = m.map.Look();
    look.AntiAlias = position == kMollweide;
    look.LineWidth = position == kMercator ? 2 : 1;
    look.ColorTissot = QColor(10, 20, 200);
    const QImage noPicture;
    TLayerInput in{m.p, look, m.map.Coastline(), noPicture, true};
    TTissotLayer layer;
    Quiet progress;
    QImage drawn = Filled(528, 507, kWhite), traced = drawn;
    EXPECT_EQ(layer.Draw(in, drawn, progress), 0);
    std::vector<TMapTrace> traces;
    int error = 0;
    ASSERT_TRUE(layer.Trace(in, traced, progress, traces, error));
    EXPECT_EQ(error, 0);
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0].colour, look.ColorTissot);
    EXPECT_EQ(traces[0].lines.Width(), look.LineWidth);
    EXPECT_EQ(traces[0].lines.AntiAlias(), look.AntiAlias);
    EXPECT_GT(traces[0].lines.Segments().size(), 500u);
    DrawTrace(traces[0], traced);
    EXPECT_EQ(drawn, traced) << position;
  }
}

// One indicatrix per intersection the map shows: the orthographic map shows
// the near hemisphere (cos c > 0 from its centre at 6 E, 52 N), with the
// north pole once however many meridians meet there.
TEST(Tissot, OneIndicatrixPerIntersectionShown) {
  WindowMap m(kOrthographic);
  TMapLook look = m.map.Look();
  const QImage noPicture;
  TLayerInput in{m.p, look, m.map.Coastline(), noPicture, true};
  TTissotLayer layer;
  Quiet progress;
  std::vector<TMapTrace> traces;
  int error = 0;
  layer.Trace(in, m.map.MainMap(), progress, traces, error);
  ASSERT_EQ(traces.size(), 1u);
  // Each outline is one closed polyline: count where a segment does not
  // start at the end of the one before.
  int outlines = 0;
  const std::vector<TSegment>& s = traces[0].lines.Segments();
  for (std::size_t i = 0; i < s.size(); ++i)
    outlines += i == 0 || s[i].x1 != s[i - 1].x2 || s[i].y1 != s[i - 1].y2;
  const double phi0 = 52 / kDeg, lambda0 = 6 / kDeg;
  int near = 1;  // the north pole
  for (double lat = -60; lat <= 60; lat += 30)
    for (double lon = -180; lon < 180; lon += 30)  // 180 and -180 are one meridian
      near += std::sin(phi0) * std::sin(lat / kDeg) +
                  std::cos(phi0) * std::cos(lat / kDeg) * std::cos(lon / kDeg - lambda0) >
              0;
  EXPECT_EQ(outlines, near);
  // A graticule too fine for indicatrices is refused, not drawn for minutes.
  m.p.GridSpacing = 0.5;
  traces.clear();
  layer.Trace(in, m.map.MainMap(), progress, traces, error);
  EXPECT_EQ(error, kMapErrorGridUnusable);
  EXPECT_TRUE(traces.empty());
}

// weltnetz-render draws the new layers by name and refuses two pictures.
TEST(Tissot, RenderToolLayers) {
  QTemporaryDir dir;
  auto run = [](const QStringList& args) {
    QProcess proc;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    proc.setProcessEnvironment(env);
    proc.start(QStringLiteral(WELTNETZ_TOOLS_DIR "/weltnetz-render"), args);
    return proc.waitForFinished(120000) && proc.exitStatus() == QProcess::NormalExit
               ? proc.exitCode()
               : -1;
  };
  const QString file = dir.filePath("m.png");
  ASSERT_EQ(run({"--kind", "40", "--size", "300x250", "--layers", "angle,grid,tissot", "-o", file}),
            0);
  const QImage img(file);
  ASSERT_FALSE(img.isNull());
  // Mercator near its equator, between the lines.
  EXPECT_EQ(img.pixelColor(160, 118).rgb(), ScaleColour(TBackground::AngleDistortion, 0).rgb());
  EXPECT_EQ(run({"--layers", "color,area", "-o", file}), 2);
  EXPECT_EQ(run({"--layers", "area,angle", "-o", file}), 2);
  EXPECT_EQ(run({"--layers", "tissot,coast,area", "-o", file}), 0);
}
