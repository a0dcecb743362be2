// The distortion map and Tissot's indicatrices as the map control draws
// them: only the map is coloured, a conformal map shows no angular
// distortion and an equal-area map one areal scale everywhere, equal-area
// indicatrices enclose equal areas, and the vector form is the raster form.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <queue>
#include <tuple>

#include "mapimage/DistortionLayer.h"
#include "mapimage/LineLayers.h"
#include "mapimage/TissotLayer.h"
#include "projection/Distortion.h"
#include "tests/map/MapFixture.h"

namespace {

const QColor kWhite(Qt::white);
constexpr int kBehrmann = 6, kSinusoidal = 50, kStereographic = 51, kLambertConic = 32,
              kOrthographic = 44, kInterruptedMollweide = 28, kRobinson = 49, kAzimuthal = 4;
constexpr TBackground kArea = TBackground::AreaDistortion, kAngle = TBackground::AngleDistortion;

// The map of one background alone: no graticule, no coastlines.
struct DistortionMap : WindowMap {
  explicit DistortionMap(int position, TBackground shows) : WindowMap(position) {
    Layers(true, false, false);
    map.MapSettings.Background = shows;
  }
  QRect Legend() const { return TDistortionLegend::Area(map.MainMap(), map.Look()); }
};

// Draws the map and counts the pixels outside the legend that `wrong`
// (column, row, colour) refuses, naming the first of them.
template <class Wrong>
int WrongPixels(DistortionMap& m, Wrong wrong) {
  m.map.Render();
  const QImage& img = m.map.MainMap();
  const QRect legend = m.Legend();
  EXPECT_FALSE(legend.isEmpty());
  int n = 0;
  for (int r = 0; r < img.height(); ++r)
    for (int col = 0; col < img.width(); ++col)
      if (!legend.contains(col, r) && wrong(col, r, img.pixelColor(col, r)) && n++ == 0)
        ADD_FAILURE() << "first wrong pixel at " << col << "," << r;
  return n;
}

// Steps counted, never stopped.
struct Quiet : TDrawProgress {
  Result Advance(std::int64_t) override { return Result::Quiet; }
  std::int64_t StepsToReport() const override { return 1 << 30; }
  bool Stopped() const override { return false; }
};

// The layer's input as the control makes it, without a picture.
TLayerInput InputOf(WindowMap& m, const TMapLook& look, bool threads = true) {
  static const QImage noPicture;
  return TLayerInput{m.p, look, m.map.Coastline(), noPicture, threads};
}

}  // namespace

// Pixels that the inverse refuses keep the background; the others all get a
// colour (the legend's corner aside).
TEST(DistortionMap, OnlyTheMapIsColoured) {
  for (auto [position, tilt] : {std::pair{kMollweide, 0}, {kAzimuthal, 0},
                                {kInterruptedMollweide, 0}, {kRobinson, 30}, {kOrthographic, 0}})
    for (TBackground shows : {kArea, kAngle}) {
      DistortionMap m(position, shows);
      if (tilt != 0) {
        m.p.SetOblique(tilt);
        m.p.SetAxis(m.p.Theta * kDeg, m.p.Phi0 * kDeg);
      }
      int inside = 0, painted = 0;
      auto paintedOff = [&](int col, int r, QColor got) {
        m.p.Inverse(col, r);
        if (m.p.ErrorCode != 0) return got != kWhite;
        ++inside;
        painted += got != kWhite;
        return false;
      };
      EXPECT_EQ(WrongPixels(m, paintedOff), 0) << position;
      EXPECT_GT(inside, 20000) << position;
      EXPECT_GE(painted, inside - inside / 1000) << position;
    }
}

// One colour where the theory gives one value: angle 0 on conformal maps (sphere and ellipsoid), areal
// scale 1 on Mollweide's and the sinusoidal, 1/cos 30 on Behrmann's cylinder.
TEST(DistortionMap, OneColourWhereTheTheoryGivesOneValue) {
  struct Case { int position; TBackground shows; double value; /* on the scale */ };
  const double behrmann = (std::log2(2 / std::sqrt(3.0)) + 2) / 4;
  for (const Case c : {Case{kMercator, kAngle, 0}, {kStereographic, kAngle, 0},
                       {kLambertConic, kAngle, 0}, {kMollweide, kArea, 0.5},
                       {kSinusoidal, kArea, 0.5}, {kBehrmann, kArea, behrmann}}) {
    DistortionMap m(c.position, c.shows);
    const QColor want = DistortionScale(c.shows).ColourAt(c.value);
    int painted = 0;
    auto otherColour = [&](int, int, QColor got) {
      painted += got != kWhite;
      return got != kWhite && got != want;
    };
    EXPECT_EQ(WrongPixels(m, otherColour), 0) << c.position;
    EXPECT_GT(painted, 30000) << c.position;
  }
}

// The published colours (viridis at its quarters within 5/255, RdBu at ends and middle), the ends beyond
// them: a reversed scale or swapped channels would show here.
TEST(DistortionMap, ScalesAreTheirPublishedColours) {
  struct Case { const TColourScale& scale; double position; QRgb rgb; int within; };
  const TColourScale &v = ViridisScale(), &b = BlueRedScale();
  for (const Case& c : {Case{v, 0, 0x440154, 5}, {v, 0.25, 0x3b528b, 5}, {v, 0.5, 0x21918c, 5},
                        {v, 0.75, 0x5ec962, 5}, {v, 1, 0xfde725, 5}, {v, 7, 0xfde725, 5},
                        {b, 0, 0x053061, 0}, {b, 0.5, 0xf7f7f7, 0}, {b, 1, 0x67001f, 0},
                        {b, -3, 0x053061, 0}}) {
    const QColor got = c.scale.ColourAt(c.position), want(c.rgb);
    for (int channel : {got.red() - want.red(), got.green() - want.green(), got.blue() - want.blue()})
      EXPECT_LE(std::abs(channel), c.within) << c.position;
  }
}

// The legend sits in the lower left corner; its bar runs from the scale's
// first colour to its last. It comes with the distortion map only, and not
// at all on a map too small for it.
TEST(DistortionMap, LegendShowsTheScaleInTheCorner) {
  for (TBackground shows : {kArea, kAngle}) {
    DistortionMap m(kMollweide, shows);
    m.map.Render();
    const QRect legend = m.Legend();
    EXPECT_EQ(legend.bottomLeft(), QPoint(6, 507 - 7));
    const QImage box = m.map.MainMap().copy(legend);
    for (double end : {0, 1}) {
      bool found = false;
      for (int r = 0; r < box.height(); ++r)
        for (int c = 0; c < box.width(); ++c) found |= box.pixelColor(c, r) == DistortionScale(shows).ColourAt(end);
      EXPECT_TRUE(found) << end;
    }
    m.map.MapSettings.DrawColorMap = false;
    m.map.MapSettings.Tissot = true;
    m.map.Render();
    EXPECT_EQ(m.map.MainMap().copy(legend), Filled(legend.width(), legend.height(), kWhite));
  }
  TMapLook look;
  look.Background = kArea;
  EXPECT_TRUE(TDistortionLegend::Area(QImage(120, 40, QImage::Format_BGR888), look).isEmpty());
}

// The probe works on a copy (no forward events reach the component), and one thread draws what several
// draw, preview rows included.
TEST(DistortionMap, NoForwardEventsAndThreadsDrawTheSame) {
  DistortionMap many(kMollweide, kAngle), one(kMollweide, kAngle);
  many.map.Render();
  int forwards = 0, inverses = 0;
  one.p.OnForward = [&](TGxProjectionL*, double, double, int) { ++forwards; };
  one.p.OnInverse = [&](TGxProjectionL*, double, double, int) { ++inverses; };
  one.map.Render();
  EXPECT_TRUE(forwards == 0 && inverses == 528 * 507) << forwards << " " << inverses;
  EXPECT_EQ(one.map.MainMap(), many.map.MainMap());

  for (const int position : {kMollweide, kAzimuthal, kInterruptedMollweide, kLambertConic})
    for (const bool preview : {false, true}) {
      DistortionMap m(position, kArea);
      TMapLook look = m.map.Look();
      look.Preview = preview;
      auto drawn = [&](bool threads) {
        QImage img = Filled(528, 507, kWhite);
        Quiet progress;
        TLayerInput in = InputOf(m, look, threads);
        return TDistortionLayer(kArea).Draw(in, img, progress), img;
      };
      EXPECT_EQ(drawn(true), drawn(false)) << position << (preview ? " preview" : "");
    }
}

// Every pixel's colour is the probe's own value there within one step of the scale, whatever the map
// reads off its neighbours, its lattice or its mirror image: an azimuthal map off the pole and an
// Albers cone and Mollweide's map (each mirrored about a central meridian off zero), and a tilted Hammer
// map (no mirror).
// (Robinson's table makes kinks along its nodes, where the probe takes one side and the map both.)
TEST(DistortionMap, EveryPixelIsTheProbesValue) {
  constexpr int kAlbers = 3, kHammer = 27;
  struct Case { int position; TBackground shows; double phi0, tilt; };
  for (const Case c : {Case{kAzimuthal, kAngle, 40, 0}, {kAlbers, kArea, 0, 0},
                       {kAlbers, kAngle, 0, 0}, {kMollweide, kAngle, 0, 0},
                       {kHammer, kAngle, 0, 30}}) {
    DistortionMap m(c.position, c.shows);
    m.p.SetTheta(37);
    if (c.phi0 != 0) m.p.SetPhi0(c.phi0);
    if (c.tilt != 0) {
      m.p.SetOblique(c.tilt);
      m.p.SetAxis(37, 20);
    }
    TGxProjectionL q = m.p;
    TDistortionProbe probe(m.p);
    const TColourScale& scale = DistortionScale(c.shows);
    constexpr int kLast = TColourScale::kSize - 1;
    int painted = 0;
    auto offScale = [&](int col, int r, QColor got) {
      if (got == kWhite) return false;
      ++painted;
      q.Inverse(col, r);
      TDistortion d;
      if (q.ErrorCode != 0) return true;
      // The centre of the azimuthal map, which the forward refuses, has no
      // value of the probe's own; its neighbours give the map one.
      if (!probe.At(q.X, q.Y, d)) return false;
      const double at = std::clamp(DistortionScalePosition(c.shows, d), 0.0, 1.0) * kLast;
      const int index = static_cast<int>(std::lround(at));
      for (int i = std::max(index - 1, 0); i <= std::min(index + 1, kLast); ++i)
        if (got == scale.ColourAt(static_cast<double>(i) / kLast)) return false;
      return true;
    };
    EXPECT_EQ(WrongPixels(m, offScale), 0) << c.position;
    EXPECT_GT(painted, 30000) << c.position;
  }
}

namespace {

// Pixels of the region around (x, y) bounded by the outline colour, or -1
// when the region reaches the image's edge (an open outline).
int EnclosedPixels(const QImage& img, int x, int y, const QColor& outline) {
  std::vector<char> seen(static_cast<std::size_t>(img.width()) * img.height(), 0);
  std::queue<QPoint> todo;
  todo.push({x, y});
  int count = 0;
  for (; !todo.empty(); todo.pop()) {
    const QPoint p = todo.front();
    if (!img.rect().contains(p)) return -1;
    char& s = seen[static_cast<std::size_t>(p.y()) * img.width() + p.x()];
    if (s || img.pixelColor(p) == outline) continue;
    s = 1;
    ++count;
    for (QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) todo.push(p + step);
  }
  return count;
}

// Traces the indicatrices as the layer does, and (given `drawn`) draws them.
std::pair<std::vector<TMapTrace>, int> TraceOf(WindowMap& m, const TMapLook& look,
                                               QImage* drawn = nullptr) {
  TTissotLayer layer;
  Quiet progress;
  std::pair<std::vector<TMapTrace>, int> t{{}, 0};
  TLayerInput in = InputOf(m, look);
  layer.Trace(in, Filled(528, 507, kWhite), progress, t.first, t.second);
  if (drawn) { EXPECT_EQ(layer.Draw(in, *drawn, progress), t.second); }
  return t;
}

}  // namespace

// On equal-area maps every indicatrix encloses the circle of IndicatrixRadius (pi r^2 less about half
// its outline); on the equirectangular map they grow as sec(lat).
TEST(Tissot, EqualAreaIndicatricesEncloseEqualAreas) {
  const double r = 0.25 * 200 * 30 / kDeg;  // IndicatrixRadius for R = 200
  const double circle = M_PI * (r - 0.5) * (r - 0.5);
  for (int position : {kMollweide, kSinusoidal, 27 /* Hammer */, 15 /* Eckert IV */, kEquirectangular}) {
    WindowMap m(position, 1300, 700);
    m.Layers(false, false, false);
    m.map.MapSettings.Tissot = true;
    m.p.Radius = 200;
    m.map.Render();
    std::vector<int> areas;
    for (double lat = -60; lat <= 60; lat += 30)
      for (double lon = -120; lon <= 120; lon += 30) {
        m.p.Forward(lon, lat);
        areas.push_back(EnclosedPixels(m.map.MainMap(), static_cast<int>(std::lround(m.p.X)),
                                       static_cast<int>(std::lround(m.p.Y)),
                                       m.map.MapSettings.ColorTissot));
      }
    ASSERT_EQ(areas.size(), 45u);
    if (position == kEquirectangular) {
      EXPECT_NEAR(static_cast<double>(areas.front()) / areas[22], 2, 0.1);  // 60 degrees against 0
      continue;
    }
    for (int a : areas) {
      ASSERT_GT(a, 0) << position;
      EXPECT_NEAR(a / circle, 1, 0.05) << position;
    }
  }
}

// Draw is the trace drawn: the same pixels, in the look's colour and width.
TEST(Tissot, TraceIsTheRaster) {
  for (int position : {kAzimuthal, kMollweide, kMercator}) {
    WindowMap m(position);
    TMapLook look = m.map.Look();
    look.AntiAlias = position == kMollweide;
    look.LineWidth = position == kMercator ? 2 : 1;
    look.ColorTissot = QColor(10, 20, 200);
    QImage drawn = Filled(528, 507, kWhite), traced = drawn;
    const auto [traces, error] = TraceOf(m, look, &drawn);
    ASSERT_TRUE(error == 0 && traces.size() == 1u) << error;
    const TLineBatch& lines = traces[0].lines;
    EXPECT_TRUE(traces[0].colour == look.ColorTissot && lines.Width() == look.LineWidth &&
                lines.AntiAlias() == look.AntiAlias && lines.Segments().size() > 500u) << position;
    DrawTrace(traces[0], traced);
    EXPECT_EQ(drawn, traced) << position;
  }
}

// One indicatrix per intersection shown (the orthographic near side, the pole once); a graticule too
// fine for indicatrices is refused, not drawn for minutes.
TEST(Tissot, OneIndicatrixPerIntersectionShown) {
  WindowMap m(kOrthographic);
  auto [traces, error] = TraceOf(m, m.map.Look());
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
                  std::cos(phi0) * std::cos(lat / kDeg) * std::cos(lon / kDeg - lambda0) > 0;
  EXPECT_EQ(outlines, near);
  m.p.GridSpacing = 0.5;
  std::tie(traces, error) = TraceOf(m, m.map.Look());
  EXPECT_TRUE(error == kMapErrorGridUnusable && traces.empty()) << error;
}
