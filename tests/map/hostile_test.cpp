// Hostile settings and pictures: a drawing must end, report the map error it
// is due and leave the control ready, whatever it is given.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>

#include "tests/map/MapFixture.h"

static constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A graticule that would not end is refused with code 5, drawing nothing; the finest
// accepted one and an absurd line width draw promptly.
TEST(Hostile, GraticuleRangesThatWouldNotEndAreRefused) {
  WindowMap ref(kEquirectangular, 200, 150);
  ref.map.MapSettings.DrawGrid = false;
  ref.map.Render();
  struct Range { double maxLon, maxLat, spacing, step; };
  for (const Range r : {Range{180, 90, 0, 1}, {180, 90, -30, 1}, {180, 90, kNaN, 1},
                        {180, 90, 30, 0}, {180, 90, 30, -1}, {180, 90, 30, kNaN},
                        {180, 90, 1e-9, 1}, {180, 90, 30, 1e-12}, {180, 90, 1e-300, 1e-300},
                        {180, 90, 0.01, 0.01},  // each count fine, 2e9 samples together
                        {INFINITY, 90, 30, 1}, {180, kNaN, 30, 1}}) {
    WindowMap w(kEquirectangular, 200, 150);
    w.map.SetGridRange(r.maxLon, -180, r.maxLat, -90, r.spacing, r.step);
    w.map.Render();
    EXPECT_EQ(w.errors, std::vector<int>{kMapErrorGridUnusable})
        << r.maxLon << " " << r.maxLat << " " << r.spacing << " " << r.step;
    EXPECT_EQ(w.map.MainMap(), ref.map.MainMap());
  }
  WindowMap w;
  const auto start = std::chrono::steady_clock::now();
  w.map.SetGridRange(180, -180, 90, -90, 1, 0.1);
  w.map.Render();
  w.map.SetGridRange(180, -180, 90, -90, 30, 1);
  w.map.MapSettings.LineWidth = 1e300;
  w.map.MapSettings.AntiAlias = true;
  w.map.Render();
  EXPECT_TRUE(w.errors.empty());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
}

// Whatever the picture, line width or projection parameters, the drawing ends
// and leaves the control ready.
TEST(Hostile, OddPicturesSettingsAndParametersStillDraw) {
  for (const QImage& picture : {QImage(1, 1, QImage::Format_BGR888), QImage(),
                                QImage(7, 3, QImage::Format_Mono),
                                QImage(5, 5, QImage::Format_ARGB32)})
    for (double width : {kNaN, -3.0, 0.0, 1e300, double(INFINITY)}) {
      WindowMap m(4, 64, 64);
      m.map.MapSettings.SetColorMap(picture);
      m.map.MapSettings.LineWidth = width;
      m.map.MapSettings.AntiAlias = width < 0;
      m.map.MapSettings.GridValues = true;
      m.map.Render();
      EXPECT_FALSE(m.map.Drawing());
      EXPECT_EQ(m.map.MainMap().size(), QSize(64, 64));
    }
  for (int position : {4, 19, 42, 49, 32, 52})
    for (double v : {kNaN, double(INFINITY), -double(INFINITY), 1e300, -1e300, 0.0}) {
      WindowMap m(position, 16, 16);
      // Indicatrices and distortion maps of absurd scales as well.
      m.map.MapSettings.Tissot = true;
      m.map.MapSettings.Background =
          position % 2 ? TBackground::AreaDistortion : TBackground::AngleDistortion;
      m.p.Radius = v;
      m.map.Render();
      m.map.ResetToDefaults();
      m.p.X0 = v;
      m.p.Oblique = v;
      m.map.Render();
      EXPECT_FALSE(m.map.Drawing());
    }
}
