#include <gtest/gtest.h>

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <string>
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
}  // namespace

TEST(SourcePixel, NearestWithTiesToEvenAndWrap) {
  struct Case { int cw, ch; double lon, lat; int px, py; bool ok; };
  for (const Case c : {
           // The south polar half row of the window's 300 x 150 picture stays
           // at the bottom instead of wrapping to the Arctic's row 0.
           Case{300, 150, 0, -89, 150, 149, true}, {300, 150, 0, -90, 150, 149, true},
           {300, 150, 0, -89.5, 150, 149, true}, {300, 150, 0, 90, 150, 0, true},
           {300, 150, -181.2, 0, 0, 0, false}, {300, 150, 0, 91.2, 0, 0, false},
           // one degree per pixel: exact ties go to the even neighbour
           {360, 180, 0.5, 0.5, 180, 90, true}, {360, 180, 1.5, -2.5, 182, 92, true},
           {360, 180, -0.5, 1.5, 180, 88, true}}) {
    int px = -7, py = -7;
    const bool ok = SourcePixel(c.lon, c.lat, c.cw, c.ch, px, py);
    EXPECT_EQ(ok, c.ok) << c.lon << " " << c.lat;
    if (ok && c.ok) {
      EXPECT_EQ(std::make_pair(px, py), std::make_pair(c.px, c.py)) << c.lon << " " << c.lat;
    }
  }
  int px, py;
  EXPECT_FALSE(SourcePixel(std::nan(""), 0, 300, 150, px, py));
  EXPECT_EQ(RoundPixel(-3.5), -4);
  EXPECT_EQ(RoundPixel(1e300), kFarPixel);
}

// The colour pass's shortcut past the fold picks the source pixel of the
// folded degrees for every angle: next to the borders between source pixels
// (an ulp or a hair of a degree off, the fold's worst rounding at +-90 and
// +-180 degrees of longitude), beyond +-pi, beyond the poles, and for NaN and
// infinities; on the window's picture, on odd widths (a tie at +-180) and on
// a large picture of one's own.
TEST(SourcePixel, OfAnglesMatchesTheFoldEverywhere) {
  std::vector<double> lonDeg, latDeg;
  for (double base : {0.0, 90.0, 180.0, 270.0, 360.0, 450.0, 540.0, 1e3})
    for (double sign : {-1.0, 1.0}) lonDeg.push_back(sign * base);
  for (int cw : {300, 301, 21600})
    for (int k = -cw; k <= cw; k += std::max(1, cw / 150)) {
      lonDeg.push_back((k + 0.5) * 360.0 / cw);  // a border between two columns
      latDeg.push_back((k / 2 + 0.5) * 180.0 / (cw / 2));
    }
  std::vector<double> lambdas, phis;
  for (double d : lonDeg)
    for (double off : {0.0, 1e-12, 1e-7, 2e-6, -2e-6, -1e-7, -1e-12})
      lambdas.push_back((d + off) / kDeg);
  for (double d : latDeg)
    for (double off : {0.0, 1e-12, 1e-7, 2e-6, -2e-6, -1e-7, -1e-12})
      phis.push_back((d + off) / kDeg);
  for (double v : {M_PI / 2, -M_PI / 2, std::nextafter(M_PI / 2, 0.0), M_PI, -M_PI, 2.0, -3.0})
    lambdas.push_back(v), phis.push_back(v);
  for (double v : {std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300})
    lambdas.push_back(v), phis.push_back(v);
  int checked = 0;
  for (int cw : {300, 301, 21600}) {
    const int ch = cw / 2;
    for (double lambda : lambdas)
      for (double phi : {0.3, -1.0, 1.5707963, -M_PI / 2, 2.0})
        for (bool swap : {false, true}) {
          const double l = swap ? phi : lambda, f = swap ? lambda : phi;
          double lon, lat;
          TGxProjectionL::FoldedDegrees(l, f, lon, lat);
          int px = -1, py = -1, ex = -1, ey = -1;
          const bool ok = SourcePixelOfAngles(TPictureGrid(cw, ch), l, f, px, py);
          ASSERT_EQ(ok, SourcePixel(lon, lat, cw, ch, ex, ey)) << cw << " " << l << " " << f;
          if (ok) {
            ASSERT_EQ(std::make_pair(px, py), std::make_pair(ex, ey)) << cw << " " << l << " " << f;
          }
          ++checked;
        }
    for (double phi : phis) {
      double lon, lat;
      TGxProjectionL::FoldedDegrees(0.7, phi, lon, lat);
      int px = -1, py = -1, ex = -1, ey = -1;
      const bool ok = SourcePixelOfAngles(TPictureGrid(cw, ch), 0.7, phi, px, py);
      ASSERT_EQ(ok, SourcePixel(lon, lat, cw, ch, ex, ey)) << cw << " " << phi;
      if (ok) {
        ASSERT_EQ(py, ey) << cw << " " << phi;
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 10000);
}

// The conics that solve their latitude by iteration may answer a pixel's
// latitude with the middle of its picture row (SetPictureRows). Whatever the
// cone (northern, southern, one parallel, another ellipsoid) and the
// picture's height, every pixel keeps its code, its longitude and its
// source pixel, the working fields after each row stay those of the exact
// rows, and so do the pixels placed a hair from the rows' borders;
// InverseRow is not affected at all.
TEST(SourcePixel, PictureRowsOfTheConicsAreThoseOfTheSolvedLatitudes) {
  constexpr int kW = 132, kH = 127;
  struct Cone { int position; double phi1, phi2, other; int mapInput; };
  const Cone cones[] = {{32, 0, 0, 0, -1}, {32, -20, -60, 0, -1}, {32, 35, 35, 0, 5},
                        {18, 0, 0, 0, -1}, {18, -10, -45, 0.5, 2}, {3, 0, 0, 0, -1},
                        {3, -15, -50, 0, 11}};
  int banded = 0;
  for (const Cone& cone : cones)
    for (int rows : {150, 151, 360, 2700}) {
      TGxProjectionL exact;
      SetUpLikeWindow(exact, CatalogueAt(cone.position).Kind, kW, kH);
      if (cone.phi1 != 0 || cone.phi2 != 0) {
        exact.Phi1 = cone.phi1 / kDeg;
        exact.Phi2 = cone.phi2 / kDeg;
      }
      if (cone.other != 0) exact.Other = cone.other;
      if (cone.mapInput >= 0) exact.MapInput = cone.mapInput;
      TGxProjectionL fast = exact;
      fast.SetPictureRows(rows);
      const int cw = 2 * rows;
      const auto sameRow = [&](double x0, double y, int n, const std::string& where) {
        std::vector<double> lonE(n), latE(n), lonF(n), latF(n);
        std::vector<int> codeE(n), codeF(n);
        ASSERT_TRUE(exact.InverseRowUnfolded(y, x0, n, lonE.data(), latE.data(), codeE.data()));
        ASSERT_TRUE(fast.InverseRowUnfolded(y, x0, n, lonF.data(), latF.data(), codeF.data()));
        for (int i = 0; i < n; ++i) {
          ASSERT_EQ(codeE[i], codeF[i]) << where << " pixel " << i;
          if (codeE[i] != 0) continue;
          ASSERT_EQ(lonE[i], lonF[i]) << where << " pixel " << i;
          banded += latE[i] != latF[i];
          double lon, lat;
          TGxProjectionL::FoldedDegrees(lonE[i], latE[i], lon, lat);
          int ex, ey, fx, fy;
          const bool ok = SourcePixel(lon, lat, cw, rows, ex, ey);
          ASSERT_EQ(ok, SourcePixelOfAngles(TPictureGrid(cw, rows), lonF[i], latF[i], fx, fy)) << where;
          if (ok) {
            ASSERT_EQ(std::make_pair(ex, ey), std::make_pair(fx, fy)) << where << " pixel " << i;
          }
        }
        for (double TGxProjectionL::*f : {&TGxProjectionL::X, &TGxProjectionL::Y,
                                          &TGxProjectionL::IterLat, &TGxProjectionL::Other})
          ASSERT_EQ(exact.*f, fast.*f) << where;
        ASSERT_EQ(exact.ErrorCode, fast.ErrorCode) << where;
      };
      const std::string name = std::to_string(cone.position) + " rows " + std::to_string(rows);
      for (int y = 0; y < kH; ++y) sameRow(0, y, kW, name + " map row " + std::to_string(y));
      // InverseRow stays exact to the bit whatever the picture's rows.
      std::vector<double> lonE(kW), latE(kW), lonF(kW), latF(kW);
      std::vector<int> codeE(kW), codeF(kW);
      exact.InverseRow(kH / 3, 0, kW, lonE.data(), latE.data(), codeE.data());
      fast.InverseRow(kH / 3, 0, kW, lonF.data(), latF.data(), codeF.data());
      for (int i = 0; i < kW; ++i) {
        if (codeE[i] != 0) continue;
        ASSERT_EQ(std::make_pair(lonE[i], latE[i]), std::make_pair(lonF[i], latF[i])) << name;
      }
      // Points a hair either side of the borders between picture rows.
      for (int j = -rows / 2; j <= rows / 2; j += std::max(1, rows / 60))
        for (double hair : {-2e-6, -5e-7, -1e-9, 0.0, 1e-9, 5e-7, 2e-6}) {
          const double border = (j + 0.5) * 180.0 / rows + hair * kDeg;
          if (std::fabs(border) >= 90) continue;
          exact.Forward(7.25, border);
          if (exact.ErrorCode != 0) continue;
          sameRow(exact.X, exact.Y, 1, name + " border " + std::to_string(border));
        }
    }
  EXPECT_GT(banded, 7 * 4 * kW * kH / 4);  // the bands did answer
}

// Equirectangular: pixel (c, r) shows longitude (c - X0)/R and latitude
// (Y0 - r)/R, worked out here from the plate carrée formulas. Sampling row
// r - 1 put the picture one row below the vector layers.
TEST(Passes, ColourPassSamplesItsOwnPixel) {
  QImage picture(360, 180, QImage::Format_BGR888);  // 1 degree per pixel
  for (int y = 0; y < 180; ++y)
    for (int x = 0; x < 360; ++x) picture.setPixelColor(x, y, QColor(y, x / 256, x % 256));
  WindowMap w(kEquirectangular, 120, 90);
  w.Layers(true, false, false);
  w.map.MapSettings.SetColorMap(picture);
  w.p.Radius = 17;  // 3.37 degrees per pixel: the map reaches beyond the poles and +-180
  w.p.Theta = 0;
  w.map.Render();
  int painted = 0;
  for (int r = 0; r < 90; ++r)
    for (int c = 0; c < 120; ++c) {
      const double lon = (c - 60) / 17.0 * kDeg, lat = (45 - r) / 17.0 * kDeg;
      const QColor got = w.map.MainMap().pixelColor(c, r);
      if (std::fabs(lon) > 180 || std::fabs(lat) > 90) {
        EXPECT_EQ(got, kWhite) << c << "," << r;
        continue;
      }
      EXPECT_EQ(got, PictureAt(lon, lat)) << c << "," << r;
      ++painted;
    }
  EXPECT_GT(painted, 3000);

  // The Earth reaching every edge of the map: the first and last columns
  // and rows, and a central meridian off zero so the columns wrap.
  w.p.Radius = 60;  // 0.95 degrees per pixel: the map shows 57 W to 56 E, 43 N to 41 S
  w.p.SetTheta(170);
  w.map.Render();
  for (int r : {0, 1, 44, 88, 89})
    for (int c : {0, 1, 60, 118, 119}) {
      double lon = 170 + (c - 60) / 60.0 * kDeg;
      if (lon > 180) lon -= 360;
      const double lat = (45 - r) / 60.0 * kDeg;
      EXPECT_EQ(w.map.MainMap().pixelColor(c, r), PictureAt(lon, lat))
          << "edge pixel " << c << "," << r;
    }
}

// The graticule's meridians: 13 from -180 to 180 every 30 degrees, at
// X0 + R (lon - Theta) on the equirectangular map; with Theta 0 the two at
// +-180 are the map's left and right edges, with Theta 10 they fall on one
// line and 12 columns are drawn.
TEST(Passes, MeridiansCountedAndPlaced) {
  const double R = 400 / (2 * 3.14159265358979323846);
  for (double theta : {0.0, 10.0}) {
    WindowMap w(kEquirectangular, 401, 201);
    w.Layers(false, false, true);
    w.p.Radius = R;
    w.p.SetTheta(theta);
    w.map.Render();
    const int y = 100 - static_cast<int>(std::lround(R * 15 / kDeg));  // 15 N: no parallel
    std::vector<int> expected;
    for (int lon = -180; lon <= 180; lon += 30) {
      double d = lon - theta;
      if (d < -180) d += 360;
      const int x = static_cast<int>(std::nearbyint(200 + R * d / kDeg));
      if (std::find(expected.begin(), expected.end(), x) == expected.end()) expected.push_back(x);
    }
    std::sort(expected.begin(), expected.end());
    std::vector<int> drawn;
    for (int x = 0; x < 401; ++x)
      if (w.map.MainMap().pixelColor(x, y) == kGrey) drawn.push_back(x);
    EXPECT_EQ(drawn, expected) << "theta " << theta;
    EXPECT_EQ(drawn.size(), theta == 0 ? 13u : 12u);
  }
}

// Mercator stretches the meridians towards the poles: from about 80 degrees
// on, one 1-degree step is 0.1 radius or more, and the meridian is cut.
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

// Joined: less than 1 degree apart, less than 5 % of the radius apart on the
// map, and the current point inside [0, W-1) x [0, H-1). One pixel per
// degree; longitude 170 lies at x = 399 = W - 1.
TEST(Passes, CoastPassJoinRules) {
  auto draw = [](double thetaDeg, double x0, std::vector<TCoastPoint> points) {
    WindowMap w(kEquirectangular, 400, 200);
    w.Layers(false, true, false);
    w.p.Radius = kDeg;
    w.p.SetTheta(thetaDeg);
    w.p.X0 = x0;
    w.p.Y0 = 100;
    w.map.SetCoast(std::move(points));
    w.map.Render();
    return w.map.MainMap();
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

TEST(GridLabelText, ShortestDecimal) {
  for (auto [v, text] : {std::pair{-180.0, "-180"}, {0.1 + 0.2, "0.3"}, {123456.5, "123456.5"}})
    EXPECT_EQ(GridLabelText(v), text);
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German));
  EXPECT_EQ(GridLabelText(1.5), "1,5");
  QLocale::setDefault(saved);
}

// With the window's graticule on a world map the anchor is (30, -30):
// latitude labels go down meridian 30, longitude labels along parallel -30,
// and nothing else changes.
TEST(Passes, LabelsWhereExpected) {
  WindowMap plain, labelled;
  plain.Layers(false, false, true);
  labelled.Layers(false, false, true);
  labelled.map.MapSettings.GridValues = true;
  plain.map.Render();
  labelled.map.Render();
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

// Every listed kind paints the Earth, and every pixel it paints maps back to
// itself: the colour never spills outside the projected Earth. The tolerance
// allows for the ellipsoidal series of the transverse kinds, whose forward
// and inverse part by up to 0.17 radius some 60 degrees from the central
// meridian; a spill into another lobe or hemisphere is much farther off.
TEST(Passes, EveryKindPaintsOnlyItsEarth) {
  for (int position = kFirstListedPosition; position < kListCount; ++position) {
    SCOPED_TRACE(position);
    WindowMap w(position, 264, 254);
    w.Layers(true, false, false);
    w.map.MapSettings.ColorEmpty = kMagenta;
    w.map.Render();
    TGxProjectionL& p = w.p;
    int painted = 0, strays = 0;
    for (int r = 0; r < 254; ++r)
      for (int c = 0; c < 264; ++c) {
        if (w.map.MainMap().pixelColor(c, r) == kMagenta) continue;
        if (++painted % 5) continue;
        p.Inverse(c, r);
        const double lon = p.X, lat = p.Y;
        if (p.ErrorCode != 0 || std::fabs(lon) > 179.5 || std::fabs(lat) > 89.5) continue;
        p.Forward(lon, lat);
        strays += p.ErrorCode != 0 || std::hypot(p.X - c, p.Y - r) > std::max(1.0, 0.2 * p.Radius);
      }
    EXPECT_GT(painted, 264 * 254 / 20);
    EXPECT_EQ(strays, 0);
  }
}

// Bonne's heart is whole: its lobes beyond the apex's line take the picture
// as its lines reach them, northern and southern cone alike, with the
// cut-off or without (it leaves the heart alone).
TEST(Passes, BonneHeartIsWhole) {
  for (double phi0 : {45.0, -45.0})
    for (bool cutOff : {false, true}) {
      SCOPED_TRACE(phi0);
      WindowMap lines(7), colour(7);
      for (WindowMap* m : {&lines, &colour}) {
        m->p.SetPhi0(phi0);
        m->p.ForwardCutOff = cutOff;
      }
      lines.Layers(false, true, true);
      colour.Layers(true, false, false);
      lines.map.Render();
      colour.map.Render();
      const QImage& l = lines.map.MainMap();
      const QImage& c = colour.map.MainMap();
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
