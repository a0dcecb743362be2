// Hostile settings and pictures: a drawing must end, report the map error it
// is due and leave the control ready, whatever it is given.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "mapimage/GxMapImageL.h"

namespace {

struct SmallMap {
  TGxProjectionL p;
  TGxMapImageL map;
  std::vector<int> errors;

  explicit SmallMap(int position, int w = 64, int h = 64) {
    map.resize(w, h);
    map.MapSettings.GxProjection = &p;
    map.MapSettings.DrawColorMap = map.MapSettings.DrawCoast = map.MapSettings.DrawGrid = true;
    p.Projection = CatalogueAt(position).Kind;
    p.MapInput = CatalogueAt(position).EllipsType == 1 ? 30 : 220;
    map.ResetToDefaults();
    map.OnError = [this](TGxMapImageL*, int code) { errors.push_back(code); };
  }
};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

TEST(Hostile, GraticuleRangesThatWouldNotEndAreRefused) {
  struct Range {
    double maxLon, minLon, maxLat, minLat, spacing, step;
  } bad[] = {
      {180, -180, 90, -90, 0, 1},     {180, -180, 90, -90, -30, 1},
      {180, -180, 90, -90, kNaN, 1},  {180, -180, 90, -90, 30, 0},
      {180, -180, 90, -90, 30, -1},   {180, -180, 90, -90, 30, kNaN},
      {180, -180, 90, -90, 1e-300, 1e-300}, {INFINITY, -180, 90, -90, 30, 1},
      {180, -180, kNaN, -90, 30, 1},
  };
  for (const Range& r : bad) {
    SmallMap m(42);  // Mollweide
    m.map.MapSettings.DrawColorMap = m.map.MapSettings.DrawCoast = false;
    m.map.SetGridRange(r.maxLon, r.minLon, r.maxLat, r.minLat, r.spacing, r.step);
    m.map.Render();
    EXPECT_FALSE(m.map.Drawing());
    EXPECT_EQ(m.map.MapErrorCode(), kMapErrorGridUnusable) << r.spacing << " " << r.step;
  }
}

TEST(Hostile, OddPicturesAndAbsurdSettingsStillDraw) {
  const QImage pictures[] = {QImage(1, 1, QImage::Format_BGR888), QImage(),
                             QImage(7, 3, QImage::Format_Mono),
                             QImage(5, 5, QImage::Format_ARGB32)};
  for (const QImage& picture : pictures)
    for (double width : {kNaN, -3.0, 0.0, 1e300, double(INFINITY)}) {
      SmallMap m(4);
      m.map.MapSettings.SetColorMap(picture);
      m.map.MapSettings.LineWidth = width;
      m.map.MapSettings.AntiAlias = width < 0;
      m.map.MapSettings.GridValues = true;
      m.map.SetGridRange(180, -180, 90, -90, 30, 1);
      m.map.Render();
      EXPECT_FALSE(m.map.Drawing());
      EXPECT_EQ(m.map.MainMap().size(), QSize(64, 64));
    }
}

TEST(Hostile, AbsurdProjectionParametersDrawNothingWrong) {
  const double values[] = {kNaN, INFINITY, -INFINITY, 1e300, -1e300, 0};
  for (int position : {4, 19, 42, 49, 32, 52})
    for (double v : values) {
      SmallMap m(position, 16, 16);
      m.map.SetGridRange(180, -180, 90, -90, 30, 1);
      m.p.Radius = v;
      m.map.Render();
      m.map.ResetToDefaults();
      m.p.X0 = v;
      m.p.Oblique = v;
      m.map.Render();
      EXPECT_FALSE(m.map.Drawing());
    }
}

TEST(Hostile, MissingPictureIsReported) {
  SmallMap m(19);
  m.map.MapSettings.FreeColorMap();
  m.map.Render();
  EXPECT_FALSE(m.map.Drawing());
  EXPECT_NE(std::find(m.errors.begin(), m.errors.end(), kMapErrorNoColorMap), m.errors.end());
}
