#include <gtest/gtest.h>

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "mapimage/MapPasses.h"
#include "mapimage/PixelMath.h"
#include "tests/map/MapFixture.h"

namespace {
const QColor kGrey(0x80, 0x80, 0x80), kLime(0, 0xFF, 0), kMagenta(255, 0, 255), kWhite(Qt::white);

// The test picture's colour at (lon, lat): one degree per pixel, its row in
// red and its column in green and blue.
QColor PictureAt(double lon, double lat) {
  const int px = (static_cast<int>(std::nearbyint(lon)) + 180) % 360;
  const int py = std::min(90 - static_cast<int>(std::nearbyint(lat)), 179);
  return QColor(py, px / 256, px % 256);
}

// A source pixel found, or (-1, 0) for none: what it holds then is no answer.
std::pair<int, int> Px(bool found, int px, int py) { return found ? std::pair(px, py) : std::pair(-1, 0); }
}  // namespace

// The south polar half row stays at the bottom, not wrapped to row 0; ties go to the even pixel.
TEST(SourcePixel, NearestWithTiesToEvenAndWrap) {
  struct Case { int cw; double lon, lat; int px, py; };  // (-1, 0): refused
  for (const Case c : {Case{300, 0, -89, 150, 149}, {300, 0, -90, 150, 149}, {300, 0, -89.5, 150, 149},
                       {300, 0, 90, 150, 0}, {300, -181.2, 0, -1, 0}, {300, 0, 91.2, -1, 0},
                       {300, std::nan(""), 0, -1, 0}, {360, 0.5, 0.5, 180, 90}, {360, 1.5, -2.5, 182, 92},
                       {360, -0.5, 1.5, 180, 88}}) {
    int px = -1, py = -1;
    const bool ok = SourcePixel(c.lon, c.lat, c.cw, c.cw / 2, px, py);
    EXPECT_EQ(Px(ok, px, py), std::pair(c.px, c.py)) << c.lon << " " << c.lat;
  }
  EXPECT_EQ(RoundPixel(-3.5), -4);
  EXPECT_EQ(RoundPixel(1e300), kFarPixel);
}

// The shortcut past the fold picks the folded degrees' source pixel for every angle: a hair
// off the pixel borders and +-90/+-180, beyond pi and the poles, NaN, inf, odd and large widths.
TEST(SourcePixel, OfAnglesMatchesTheFoldEverywhere) {
  std::vector<double> lambdas, phis;
  const auto nearDeg = [](std::vector<double>& to, double deg) {
    for (double off : {0.0, 1e-12, 1e-7, 2e-6, -2e-6, -1e-7, -1e-12}) to.push_back((deg + off) / kDeg);
  };
  for (double base : {0.0, 90.0, 180.0, 270.0, 360.0, 450.0, 540.0, 1e3})
    nearDeg(lambdas, -base), nearDeg(lambdas, base);
  for (int cw : {300, 301, 21600})
    for (int k = -cw; k <= cw; k += std::max(1, cw / 150)) {
      nearDeg(lambdas, (k + 0.5) * 360.0 / cw);  // a border between two columns
      nearDeg(phis, (k / 2 + 0.5) * 180.0 / (cw / 2));
    }
  for (double v : {M_PI / 2, -M_PI / 2, std::nextafter(M_PI / 2, 0.0), M_PI, -M_PI, 2.0, -3.0,
                   std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300})
    lambdas.push_back(v), phis.push_back(v);
  int checked = 0;
  for (int cw : {300, 301, 21600}) {
    // Both ways to the source pixel agree (on its row alone when rowOnly).
    const auto same = [&](double l, double f, bool rowOnly) {
      if (HasFatalFailure()) return;
      double lon, lat;
      TGxProjectionL::FoldedDegrees(l, f, lon, lat);
      int px = -1, py = -1, ex = -1, ey = -1;
      const bool ok = SourcePixelOfAngles(TPictureGrid(cw, cw / 2), l, f, px, py);
      ASSERT_EQ(ok, SourcePixel(lon, lat, cw, cw / 2, ex, ey)) << cw << " " << l << " " << f;
      ASSERT_EQ(Px(ok, rowOnly ? 0 : px, py), Px(ok, rowOnly ? 0 : ex, ey)) << cw << " " << l << " " << f;
      ++checked;
    };
    for (double lambda : lambdas)
      for (double phi : {0.3, -1.0, 1.5707963, -M_PI / 2, 2.0}) {
        same(lambda, phi, false);
        same(phi, lambda, false);
      }
    for (double phi : phis) same(0.7, phi, true);
  }
  EXPECT_GT(checked, 10000);
}

// Iterating conics may answer a latitude by its picture row: every pixel keeps its code,
// longitude and source pixel (also a hair off the row borders), and InverseRow stays exact.
TEST(SourcePixel, PictureRowsOfTheConicsAreThoseOfTheSolvedLatitudes) {
  constexpr int kW = 132, kH = 127;
  struct Cone { int position; double phi1, phi2, other; int mapInput; };
  struct Row { std::vector<double> lon, lat; std::vector<int> code; };
  const auto run = [](TGxProjectionL& p, bool unfolded, double y, double x0, int n) {
    Row r{std::vector<double>(n), std::vector<double>(n), std::vector<int>(n)};
    if (!unfolded) p.InverseRow(y, x0, n, r.lon.data(), r.lat.data(), r.code.data());
    EXPECT_TRUE(!unfolded || p.InverseRowUnfolded(y, x0, n, r.lon.data(), r.lat.data(), r.code.data()));
    return r;
  };
  int banded = 0;
  for (const Cone& cone : {Cone{32, 0, 0, 0, -1}, {32, -20, -60, 0, -1}, {32, 35, 35, 0, 5},
                           {18, 0, 0, 0, -1}, {18, -10, -45, 0.5, 2}, {3, 0, 0, 0, -1},
                           {3, -15, -50, 0, 11}})
    for (int rows : {150, 151, 360, 2700}) {
      TGxProjectionL exact;
      SetUpLikeWindow(exact, CatalogueAt(cone.position).Kind, kW, kH);
      if (cone.phi1 != 0 || cone.phi2 != 0) exact.Phi1 = cone.phi1 / kDeg, exact.Phi2 = cone.phi2 / kDeg;
      if (cone.other != 0) exact.Other = cone.other;
      if (cone.mapInput >= 0) exact.MapInput = cone.mapInput;
      TGxProjectionL fast = exact;
      fast.SetPictureRows(rows);
      const auto sameRow = [&](double x0, double y, int n, const std::string& where) {
        if (HasFatalFailure()) return;
        // Against InverseRow, which answers every pixel as Inverse does.
        const Row e = run(exact, false, y, x0, n), f = run(fast, true, y, x0, n);
        for (int i = 0; i < n; ++i) {
          ASSERT_EQ(e.code[i], f.code[i]) << where << " pixel " << i;
          if (e.code[i] != 0) continue;
          double lonF, latF;
          TGxProjectionL::FoldedDegrees(f.lon[i], f.lat[i], lonF, latF);
          ASSERT_EQ(e.lon[i], lonF) << where << " pixel " << i;
          banded += e.lat[i] != latF;
          int ex = -1, ey = -1, fx = -1, fy = -1;
          const bool ok = SourcePixel(e.lon[i], e.lat[i], 2 * rows, rows, ex, ey);
          const TPictureGrid grid(2 * rows, rows);
          ASSERT_EQ(ok, SourcePixelOfAngles(grid, f.lon[i], f.lat[i], fx, fy)) << where;
          ASSERT_EQ(Px(ok, ex, ey), Px(ok, fx, fy)) << where << " pixel " << i;
        }
        for (double TGxProjectionL::*field : {&TGxProjectionL::X, &TGxProjectionL::Y,
                                              &TGxProjectionL::IterLat, &TGxProjectionL::Other})
          ASSERT_EQ(exact.*field, fast.*field) << where;
        ASSERT_EQ(exact.ErrorCode, fast.ErrorCode) << where;
      };
      const std::string name = std::to_string(cone.position) + " rows " + std::to_string(rows);
      for (int y = 0; y < kH; ++y) sameRow(0, y, kW, name + " map row " + std::to_string(y));
      // InverseRow stays exact to the bit whatever the picture's rows.
      const Row e = run(exact, false, kH / 3, 0, kW), f = run(fast, false, kH / 3, 0, kW);
      for (int i = 0; i < kW; ++i)
        if (e.code[i] == 0) {
          ASSERT_EQ(std::make_pair(e.lon[i], e.lat[i]), std::make_pair(f.lon[i], f.lat[i])) << name;
        }
      // Points a hair either side of the borders between picture rows.
      for (int j = -rows / 2; j <= rows / 2; j += std::max(1, rows / 60))
        for (double hair : {-2e-6, -5e-7, -1e-9, 0.0, 1e-9, 5e-7, 2e-6}) {
          const double border = (j + 0.5) * 180.0 / rows + hair * kDeg;
          if (std::fabs(border) >= 90) continue;
          exact.Forward(7.25, border);
          if (exact.ErrorCode == 0) sameRow(exact.X, exact.Y, 1, name + " border " + std::to_string(border));
        }
      ASSERT_FALSE(HasFatalFailure());
    }
  EXPECT_GT(banded, 7 * 4 * kW * kH / 4);  // the bands did answer
}

// Each pixel shows its own plate carrée point (row r - 1 once put the picture a row low),
// beyond the poles and +-180 at R = 17, wrapping its columns off Theta 170 at R = 60.
TEST(Passes, ColourPassSamplesItsOwnPixel) {
  QImage picture(360, 180, QImage::Format_BGR888);  // 1 degree per pixel
  for (int y = 0; y < 180; ++y)
    for (int x = 0; x < 360; ++x) picture.setPixelColor(x, y, QColor(y, x / 256, x % 256));
  WindowMap w(kEquirectangular, 120, 90);
  w.Layers(true, false, false);
  w.map.MapSettings.SetColorMap(picture);
  for (auto [radius, theta] : {std::pair{17.0, 0.0}, {60.0, 170.0}}) {
    w.p.Radius = radius;
    w.p.SetTheta(theta);
    w.map.Render();
    int painted = 0;
    for (int r = 0; r < 90; ++r)
      for (int c = 0; c < 120; ++c) {
        double lon = theta + (c - 60) / radius * kDeg;
        const double lat = (45 - r) / radius * kDeg;
        if (theta != 0 && lon > 180) lon -= 360;
        const bool off = std::fabs(lon) > 180 || std::fabs(lat) > 90;
        EXPECT_EQ(w.map.MainMap().pixelColor(c, r), off ? kWhite : PictureAt(lon, lat))
            << "R " << radius << " pixel " << c << "," << r;
        painted += !off;
      }
    EXPECT_GT(painted, 3000);
  }
}

// 13 meridians at X0 + R (lon - Theta); off Theta 10 the two at +-180 fall on one column.
TEST(Passes, MeridiansCountedAndPlaced) {
  const double R = 400 / (2 * M_PI);
  for (double theta : {0.0, 10.0}) {
    const QImage map = DrawnAtOnce(kEquirectangular, 401, 201, [&](WindowMap& w) {
      w.Layers(false, false, true);
      w.p.Radius = R;
      w.p.SetTheta(theta);
    });
    const int y = 100 - static_cast<int>(std::lround(R * 15 / kDeg));  // 15 N: no parallel
    std::set<int> expected, drawn;
    for (int lon = -180; lon <= 180; lon += 30) {
      const double d = lon - theta < -180 ? lon - theta + 360 : lon - theta;
      expected.insert(static_cast<int>(std::nearbyint(200 + R * d / kDeg)));
    }
    for (int x = 0; x < 401; ++x)
      if (map.pixelColor(x, y) == kGrey) drawn.insert(x);
    EXPECT_EQ(drawn, expected) << "theta " << theta;
    EXPECT_EQ(drawn.size(), theta == 0 ? 13u : 12u);
  }
}

// Mercator's meridians are cut from about 80 degrees, where a degree spans 0.1 radius.
TEST(Passes, GraticuleCutWhereTheMapTears) {
  WindowMap w(kMercator, 200, 400);
  w.Layers(false, false, true);
  w.p.Radius = 40;
  w.map.Render();
  auto at = [&](double lat) {
    w.p.Forward(0, lat);
    return std::make_pair(RoundPixel(w.p.X), RoundPixel(w.p.Y));
  };
  const int x = at(0).first;
  for (int y = at(75).second; y <= at(1).second; ++y)
    EXPECT_EQ(w.map.MainMap().pixelColor(x, y), kGrey) << y;
  ASSERT_GT(at(86).second, 0);
  for (int y = at(85).second; y <= at(81).second; ++y)
    EXPECT_EQ(w.map.MainMap().pixelColor(x, y), kWhite) << y;
}

// Joined: under 1 degree and 5 % of the radius apart, the point inside [0, W-1) x [0, H-1).
TEST(Passes, CoastPassJoinRules) {
  auto draw = [](double thetaDeg, double x0, std::vector<TCoastPoint> points) {
    return DrawnAtOnce(kEquirectangular, 400, 200, [&](WindowMap& w) {
      w.Layers(false, true, false);
      std::tie(w.p.Radius, w.p.X0, w.p.Y0) = std::tuple(kDeg, x0, 100.0);
      w.p.SetTheta(thetaDeg);
      w.map.SetCoast(std::move(points));
    });
  };
  const QImage a = draw(0, 229, {{20, 30}, {20.6f, 30},          // joined
                                 {40, 30}, {41, 30},             // exactly 1 degree: apart
                                 {60, 30}, {60.9999f, 30},       // joined
                                 {167.6f, 10}, {168.5f, 10},     // x = W - 1.5: joined
                                 {169.3f, 20}, {170.25f, 20}});  // x = W - 0.75: not
  for (auto [x, y, lime] : {std::tuple{249, 70, true}, {250, 70, true}, {269, 70, false},
                            {270, 70, false}, {289, 70, true}, {290, 70, true},
                            {397, 90, true}, {398, 90, true}, {398, 80, false}})
    EXPECT_EQ(a.pixelColor(x, y), lime ? kLime : kWhite) << x << "," << y;
  // Half a degree across the map's cut at Theta - 180: no line across the map.
  const QImage b = draw(10, 200, {{-170.3f, -30}, {-169.8f, -30}, {-169.2f, -30}});
  EXPECT_EQ(b.pixelColor(21, 130), kLime);
  for (int x = 23; x < 378; x += 7) EXPECT_EQ(b.pixelColor(x, 130), kWhite) << x;
}

// Labels in the shortest decimal and the locale's separator.
TEST(GridLabelText, ShortestDecimal) {
  for (auto [v, text] : {std::pair{-180.0, "-180"}, {0.1 + 0.2, "0.3"}, {123456.5, "123456.5"}})
    EXPECT_EQ(GridLabelText(v), text);
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German));
  EXPECT_EQ(GridLabelText(1.5), "1,5");
  QLocale::setDefault(saved);
}

// Labels go down meridian 30 and along parallel -30, and nothing else changes.
TEST(Passes, LabelsWhereExpected) {
  WindowMap plain, labelled;
  for (WindowMap* m : {&plain, &labelled}) {
    m->Layers(false, false, true);
    m->map.MapSettings.GridValues = m == &labelled;
    m->map.Render();
  }
  std::vector<QRect> boxes;  // text from (N(x) + 2, N(y) + 2)
  auto add = [&](double lon, double lat) {
    plain.p.Forward(lon, lat);
    if (plain.p.X > 0 && plain.p.X < 528)
      boxes.push_back(QRect(RoundPixel(plain.p.X) + 2, RoundPixel(plain.p.Y) + 2, 60, 24));
  };
  for (int lat = 90; lat >= -90; lat -= 30) add(30, lat);
  for (int lon = -180; lon <= 180; lon += 30) add(lon, -30);
  std::vector<int> hits(boxes.size(), 0);
  int stray = 0;
  for (int y = 0; y < 507; ++y)
    for (int x = 0; x < 528; ++x) {
      if (plain.map.MainMap().pixel(x, y) == labelled.map.MainMap().pixel(x, y)) continue;
      bool inBox = false;
      for (std::size_t i = 0; i < boxes.size(); ++i)
        if (boxes[i].contains(x, y)) inBox = ++hits[i] > 0;
      stray += !inBox;
    }
  EXPECT_EQ(stray, 0);
  for (std::size_t i = 0; i < boxes.size(); ++i) EXPECT_GT(hits[i], 5) << boxes[i].x();
}

// No kind's colour spills beyond its Earth: painted pixels map back to themselves (within
// 0.2 radius for the transverse kinds' series; a spill to another lobe is far beyond).
TEST(Passes, EveryKindPaintsOnlyItsEarth) {
  for (int position = kFirstListedPosition; position < kListCount; ++position) {
    WindowMap w(position, 264, 254);
    w.Layers(true, false, false);
    w.map.MapSettings.ColorEmpty = kMagenta;
    w.map.Render();
    TGxProjectionL& p = w.p;
    int painted = 0, strays = 0;
    for (int r = 0; r < 254; ++r)
      for (int c = 0; c < 264; ++c) {
        if (w.map.MainMap().pixelColor(c, r) == kMagenta || ++painted % 5) continue;
        p.Inverse(c, r);
        if (p.ErrorCode != 0 || std::fabs(p.X) > 179.5 || std::fabs(p.Y) > 89.5) continue;
        p.Forward(p.X, p.Y);
        strays += p.ErrorCode != 0 || std::hypot(p.X - c, p.Y - r) > std::max(1.0, 0.2 * p.Radius);
      }
    EXPECT_GT(painted, 264 * 254 / 20) << position;
    EXPECT_EQ(strays, 0) << position;
  }
}

// Bonne's lobes beyond the apex's line are painted as far as its lines reach, either cone.
TEST(Passes, BonneHeartIsWhole) {
  for (double phi0 : {45.0, -45.0})
    for (bool cutOff : {false, true}) {
      SCOPED_TRACE(phi0);
      WindowMap lines(7), colour(7);
      for (WindowMap* m : {&lines, &colour}) {
        m->p.SetPhi0(phi0);
        m->p.ForwardCutOff = cutOff;
        m->Layers(m == &colour, m == &lines, m == &lines);
        m->map.Render();
      }
      const QImage &l = lines.map.MainMap(), &c = colour.map.MainMap();
      int drawn = 0, outside = 0;
      for (int y = 2; y < l.height() - 2; ++y)
        for (int x = 2; x < l.width() - 2; ++x) {
          if (l.pixelColor(x, y) == kWhite) continue;
          ++drawn;
          bool near = false;
          for (int dy = -2; dy <= 2 && !near; ++dy)
            for (int dx = -2; dx <= 2 && !near; ++dx) near = c.pixelColor(x + dx, y + dy) != kWhite;
          outside += !near;
        }
      EXPECT_GT(drawn, 5000);
      EXPECT_EQ(outside, 0);
      // A point of a lobe, beyond the apex's line, is painted.
      colour.p.Forward(colour.p.Theta * kDeg + 150, phi0 > 0 ? 60 : -60);
      ASSERT_EQ(colour.p.ErrorCode, 0);
      const double apexY = colour.p.Y0 - colour.p.Radius / std::tan(phi0 / kDeg);
      EXPECT_TRUE(phi0 > 0 ? colour.p.Y < apexY : colour.p.Y > apexY);
      EXPECT_NE(c.pixelColor(RoundPixel(colour.p.X), RoundPixel(colour.p.Y)), kWhite);
    }
}
