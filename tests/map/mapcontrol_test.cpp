// The map control: progress reports, requests and changes while a drawing
// runs, error codes, the saved map, and what it leaves on disk.
#include <gtest/gtest.h>

#include <stdexcept>

#include "mapimage/JpegExport.h"
#include "tests/map/MapFixture.h"
#include "tests/map/TinyDisk.h"

namespace {
QImage AtRadius(double radius) {
  return DrawnAtOnce(kMollweide, 300, 200, [radius](WindowMap& m) { m.p.Radius = radius; });
}
}  // namespace

// Reports of T = pixels + coastline points at 0, every 10000 and T; T = 0 is survived.
TEST(MapControl, ProgressSequence) {
  WindowMap w;
  const int T = 267696 + static_cast<int>(w.map.Coastline().size());
  w.map.Render();
  ASSERT_EQ(w.progress.size(), static_cast<std::size_t>((T - 1) / 10000 + 2));
  EXPECT_EQ(w.progress.back(), std::make_pair(T, T));
  for (std::size_t i = 0; i + 1 < w.progress.size(); ++i)
    EXPECT_EQ(w.progress[i], std::make_pair(T, static_cast<int>(i) * 10000));
  w.progress.clear();
  w.Layers(false, false, false);
  w.map.Render();
  EXPECT_EQ(w.progress, (std::vector<std::pair<int, int>>{{0, 0}, {0, 0}}));
  EXPECT_EQ(w.map.MainMap(), Filled(528, 507, Qt::white));
}

// A Render from a handler restarts the drawing, yet it ends; an exception
// leaves the control ready.
TEST(MapControl, RequestDuringADrawingRestartsItAndExceptionsEndIt) {
  const QImage clean = DrawnAtOnce(kEquirectangular, 200, 150);
  WindowMap w(kEquirectangular, 200, 150);
  for (const bool everyTime : {false, true}) {
    int starts = 0, requests = 0;
    w.map.OnProgress = [&](TGxMapImageL* m, int, int pos) {
      starts += pos == 0;
      if (pos == 10000 && (everyTime || requests++ == 0)) m->Render();
      if (pos == 20000) {
        EXPECT_TRUE(m->Drawing());
      }
    };
    w.map.Render();
    EXPECT_TRUE(everyTime ? starts > 1 && starts < 10 : starts == 2) << starts;
    EXPECT_FALSE(w.map.Drawing());
    EXPECT_EQ(w.map.MainMap(), clean);
  }
  w.map.OnProgress = [](TGxMapImageL*, int, int pos) {
    if (pos == 20000) throw std::runtime_error("stop");
  };
  EXPECT_THROW(w.map.Render(), std::runtime_error);
  EXPECT_FALSE(w.map.Drawing());  // later drawings are not refused
}

// A radius changed during a drawing never mixes two radii in one map; the
// component keeps the last radius set.
TEST(MapControl, ParametersChangedDuringADrawingNeverMixTwoMaps) {
  WindowMap w(kMollweide, 300, 200);
  w.p.Radius = 74.9;
  w.map.OnProgress = [&](TGxMapImageL*, int, int pos) {
    if (pos == 30000) w.p.Radius = 40;
  };
  w.map.Render();
  EXPECT_EQ(w.map.MainMap(), AtRadius(40));
  double next = 30;
  w.p.Radius = next;
  w.map.OnProgress = [&](TGxMapImageL*, int, int pos) {
    if (pos > 0) w.p.Radius = (next += 1);
  };
  w.map.Render();
  bool matchesOne = false;
  for (double r = 30; r <= next && !matchesOne; r += 1) matchesOne = w.map.MainMap() == AtRadius(r);
  EXPECT_TRUE(matchesOne);
  EXPECT_EQ(w.p.Radius, next);
}

// The image follows the control's size.
TEST(MapControl, ImageFollowsTheControlsSize) {
  WindowMap w(kMollweide, 528, 507);
  w.map.Render();
  w.map.resize(300, 200);
  w.map.ResetToDefaults();
  w.p.SetX0(150);
  w.p.SetY0(100);
  w.map.Render();
  EXPECT_EQ(w.map.MainMap(), DrawnAtOnce(kMollweide, 300, 200));
}

// Each failure is reported by its code; without a projection only the background is drawn.
TEST(MapControl, ErrorCodes) {
  struct Case { int position; void (*change)(WindowMap&); std::vector<int> codes; };
  for (const Case& c : {
           Case{kEquirectangular, [](WindowMap& w) { w.map.MapSettings.DrawGrid = false; }, {1}},
           Case{0, [](WindowMap&) {}, {3, 5}},  // grid kind: no coastlines, not ready
           Case{kEquirectangular, [](WindowMap& w) { w.map.MapSettings.FreeColorMap(); }, {4}},
           Case{kEquirectangular, [](WindowMap& w) { w.p.Ready = false; }, {5}},
           Case{kEquirectangular, [](WindowMap& w) { w.map.MapSettings.GxProjection = nullptr; }, {1, 1}}}) {
    WindowMap w(c.position, 120, 90);
    c.change(w);
    w.map.Render();
    EXPECT_EQ(w.errors, c.codes) << c.position;
    EXPECT_FALSE(w.map.Drawing());
    if (w.map.MapSettings.GxProjection) continue;
    EXPECT_EQ(w.map.MainMap(), Filled(120, 90, Qt::white));
    w.map.SetGridRange(1, 2, 3, 4, 5, 6);  // nothing, silently
    w.map.ResetToDefaults();
    EXPECT_EQ(w.errors, (std::vector<int>{1, 1, 1}));
  }
}

// Without the background fill the saved map stays beneath; black beyond the map.
TEST(MapControl, SavedMapAndPaintStep) {
  WindowMap w;
  w.map.Render();
  w.map.SaveMap();
  const QImage first = w.map.MainMap();
  w.map.MapSettings.UseColorEmpty = false;
  w.Layers(false, false, false);
  w.map.Render();
  EXPECT_EQ(w.map.MainMap(), first);
  w.map.SetMainMap(Filled(300, 200, Qt::red));
  const QImage shot = w.map.grab().toImage();
  EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::red));
  EXPECT_EQ(shot.pixelColor(400, 5), QColor(Qt::black));
  EXPECT_EQ(shot.pixelColor(5, 300), QColor(Qt::black));
}

// Other programs' "Gx*.tmp" files in the temporary folder are not ours.
TEST(MapControl, LeavesOthersTemporaryFiles) {
  const QString path = QDir::temp().filePath(
      QStringLiteral("GxOther%1.tmp").arg(QCoreApplication::applicationPid()));
  QFile(path).open(QIODevice::WriteOnly);
  { TGxMapImageL map; }
  EXPECT_TRUE(QFile::exists(path));
  QFile::remove(path);
}

// Progressive when asked (baseline, the default, is checked on the window's JPEG).
TEST(SaveAsJpeg, ProgressiveWhenAsked) {
  QTemporaryDir dir;
  const QString file = dir.filePath("p.jpg");
  ASSERT_TRUE(SaveAsJpeg(Filled(64, 48, QColor(200, 40, 90)), file, 100, true));
  const QByteArray bytes = FileBytes(file);
  EXPECT_TRUE(bytes.contains("\xFF\xC2"));   // SOF2: progressive
  EXPECT_FALSE(bytes.contains("\xFF\xC0"));  // SOF0: baseline
  const QColor c = QImage(file).pixelColor(30, 20);
  EXPECT_NEAR(c.red(), 200, 3);
  EXPECT_NEAR(c.blue(), 90, 3);
}
