// The renderer's picture cache: reused when only the lines change.
#include <gtest/gtest.h>

#include "mapimage/Coastlines.h"
#include "mapimage/MapRenderer.h"
#include "mapimage/PictureCache.h"
#include "tests/map/MapFixture.h"

namespace {

TMapSnapshot Snapshot(int position, int w = 240, int h = 180) {
  static const auto coast = std::make_shared<const std::vector<TCoastPoint>>(LoadCoastlines());
  static const QImage picture = LoadEarthPicture();
  WindowMap m(position, w, h);
  return TMapSnapshot::Of(&m.p, m.map.Look(), &picture, coast, true, QSize(w, h));
}

QImage Drawn(const TMapSnapshot& s, TPictureCache* cache = nullptr) {
  std::atomic<bool> stop{false};
  TRenderedMap out;
  EXPECT_TRUE(RenderSnapshot(s, out, stop, {}, cache));
  return out.image;
}

}  // namespace

// A change of the lines alone reuses the picture; the map is the uncached one.
TEST(PictureCache, LinesAloneReuseThePicture) {
  TPictureCache cache;
  TMapSnapshot s = Snapshot(kMollweide);
  EXPECT_EQ(Drawn(s, &cache), Drawn(s));
  EXPECT_EQ(cache.Hits(), 0);
  for (void (*change)(TMapLook&) :
       {+[](TMapLook& l) { l.DrawGrid = false; }, +[](TMapLook& l) { l.DrawCoast = false; },
        +[](TMapLook& l) { l.LineWidth = 3; }, +[](TMapLook& l) { l.AntiAlias = true; },
        +[](TMapLook& l) { l.GridValues = true; }, +[](TMapLook& l) { l.ColorCoast = Qt::red; }}) {
    const int hits = cache.Hits();
    change(s.look);
    EXPECT_EQ(Drawn(s, &cache), Drawn(s));
    EXPECT_EQ(cache.Hits(), hits + 1);
  }
}

// Any change the picture depends on draws it anew, as without a cache; one
// drawn over an earlier map (UseColorEmpty off) is never kept.
TEST(PictureCache, AnyChangeThePictureDependsOnDrawsItAnew) {
  const std::pair<const char*, void (*)(TMapSnapshot&)> changes[] = {
      {"Radius", [](TMapSnapshot& s) { s.projection.Radius += 1e-9; }},
      {"Theta", [](TMapSnapshot& s) { s.projection.Theta = std::nextafter(s.projection.Theta, 1.0); }},
      {"Phi0", [](TMapSnapshot& s) { s.projection.Phi0 += 0.3; }},
      {"Phi1", [](TMapSnapshot& s) { s.projection.Phi1 += 0.3; }},
      {"Phi2", [](TMapSnapshot& s) { s.projection.Phi2 += 0.3; }},
      {"X0", [](TMapSnapshot& s) { s.projection.X0 += 1; }},
      {"Y0", [](TMapSnapshot& s) { s.projection.Y0 -= 1; }},
      {"Other", [](TMapSnapshot& s) { s.projection.Other += 0.5; }},
      {"Oblique", [](TMapSnapshot& s) { s.projection.Oblique = 0.4; }},
      {"Axis", [](TMapSnapshot& s) { s.projection.Oblique = 0.4; s.projection.AxisPhi = 0.2; }},
      {"MapInput", [](TMapSnapshot& s) { s.projection.MapInput = 5; }},
      {"Kind", [](TMapSnapshot& s) { s.projection.Projection = mpMercator; }},
      {"CutOff", [](TMapSnapshot& s) { s.projection.ForwardCutOff = !s.projection.ForwardCutOff; }},
      {"Turn", [](TMapSnapshot& s) { s.projection.RotAngle = 0.1; }},
      {"Picture", [](TMapSnapshot& s) {
         QImage other = *s.colorMap;
         other.setPixelColor(150, 40, Qt::red);
         s.colorMap = other;
       }},
      {"Size", [](TMapSnapshot& s) { s.size = QSize(121, 90); }},
      {"Background", [](TMapSnapshot& s) { s.look.ColorEmpty = Qt::yellow; }},
      {"Preview", [](TMapSnapshot& s) { s.look.Preview = true; }},
  };
  for (int position : {kMollweide, 17, 3}) {  // 17: an ellipsoidal kind, 3: Albers
    for (const auto& [name, change] : changes) {
      SCOPED_TRACE(name);
      TPictureCache cache;
      TMapSnapshot s = Snapshot(position, 120, 90);
      Drawn(s, &cache);
      change(s);
      EXPECT_EQ(Drawn(s, &cache), Drawn(s)) << position;
      EXPECT_EQ(cache.Hits(), 0) << position;
    }
  }
  TPictureCache cache;
  TMapSnapshot s = Snapshot(kMollweide, 120, 90);
  s.look.UseColorEmpty = false;
  s.base = Filled(120, 90, Qt::magenta);
  Drawn(s, &cache);
  Drawn(s, &cache);
  EXPECT_EQ(cache.Hits(), 0);
}
