#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "mapimage/Coastlines.h"
#include "mapimage/GxMapImageL.h"
#include "mapimage/JpegExport.h"

namespace {

constexpr int kEquirectangular = 19;  // list position
using Events = std::vector<std::pair<int, int>>;

// A map control set up as the window sets up its own.
struct WindowMap {
  TGxProjectionL p;
  TGxMapImageL map;
  Events progress;
  std::vector<int> errors;

  explicit WindowMap(int position = kEquirectangular, int w = 528, int h = 507) {
    map.resize(w, h);
    TMapSettings& s = map.MapSettings;
    s.GxProjection = &p;
    s.ColorEmpty = Qt::white;
    s.DrawColorMap = s.DrawCoast = s.DrawGrid = true;
    map.SetGridRange(180, -180, 90, -90, 30, 1);
    p.Projection = CatalogueAt(position).Kind;
    p.SetMapInput(CatalogueAt(position).EllipsType == 1 ? 30 : 220);
    map.ResetToDefaults();
    p.SetX0(w / 2);
    p.SetY0(h / 2);
    map.OnProgress = [this](TGxMapImageL*, int max, int pos) { progress.push_back({max, pos}); };
    map.OnError = [this](TGxMapImageL*, int code) { errors.push_back(code); };
  }
};

// The control is a widget: the test program must run a QApplication.
class MapControl : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr)
        << "the map tests need a QApplication (widgets), not a QGuiApplication";
  }
};

QImage Filled(int w, int h, QColor c) {
  QImage img(w, h, QImage::Format_BGR888);
  img.fill(c);
  return img;
}

}  // namespace

// T = 528*507 pixels + every coastline point (the coast pass counts them
// all); reports at 0, every 10000 and exactly at T.
TEST_F(MapControl, ProgressSequence) {
  WindowMap w;
  const int T = 267696 + static_cast<int>(w.map.Coastline().size());
  w.map.Render();
  ASSERT_EQ(w.progress.size(), static_cast<std::size_t>((T - 1) / 10000 + 2));
  EXPECT_EQ(w.progress.back(), std::make_pair(T, T));
  for (std::size_t i = 0; i + 1 < w.progress.size(); ++i)
    EXPECT_EQ(w.progress[i], std::make_pair(T, static_cast<int>(i) * 10000));

  w.progress.clear();
  w.map.MapSettings.DrawColorMap = w.map.MapSettings.DrawCoast = false;
  w.map.MapSettings.DrawGrid = false;
  w.map.Render();
  EXPECT_EQ(w.progress, (Events{{0, 0}, {0, 0}}));
  EXPECT_EQ(w.map.MainMap(), Filled(528, 507, Qt::white));
}

TEST_F(MapControl, DrawingFlagAgainstReentryAndExceptions) {
  WindowMap w(kEquirectangular, 200, 150);
  int starts = 0;
  w.map.OnProgress = [&](TGxMapImageL* m, int, int pos) {
    starts += pos == 0;
    if (pos == 10000) m->Render();  // returns at once: no second start
    if (pos == 20000) {
      EXPECT_TRUE(m->Drawing());
    }
  };
  w.map.Render();
  EXPECT_EQ(starts, 1);
  EXPECT_FALSE(w.map.Drawing());

  w.map.OnProgress = [](TGxMapImageL*, int, int pos) {
    if (pos == 20000) throw std::runtime_error("stop");
  };
  EXPECT_THROW(w.map.Render(), std::runtime_error);
  EXPECT_FALSE(w.map.Drawing());  // later drawings are not refused
}

TEST_F(MapControl, ErrorCodes) {
  struct Case { int position; void (*change)(WindowMap&); std::vector<int> codes; };
  for (const Case& c : {
           Case{kEquirectangular, [](WindowMap& w) { w.map.MapSettings.GxProjection = nullptr; },
                {1, 1}},
           Case{kEquirectangular, [](WindowMap& w) { w.map.MapSettings.DrawGrid = false; }, {1}},
           Case{0, [](WindowMap&) {}, {3, 5}},  // grid kind: no coastlines, not ready
           Case{kEquirectangular, [](WindowMap& w) { w.map.MapSettings.FreeColorMap(); }, {4}},
           Case{kEquirectangular, [](WindowMap& w) { w.p.Ready = false; }, {5}}}) {
    WindowMap w(c.position, 120, 90);
    c.change(w);
    w.map.Render();
    EXPECT_EQ(w.errors, c.codes) << c.position;
  }
  WindowMap w(kEquirectangular, 120, 90);
  w.map.MapSettings.GxProjection = nullptr;
  w.map.Render();
  EXPECT_EQ(w.map.MainMap(), Filled(120, 90, Qt::white));
  w.map.SetGridRange(1, 2, 3, 4, 5, 6);  // no projection: nothing, silently
  w.map.ResetToDefaults();
  EXPECT_EQ(w.errors, (std::vector<int>{1, 1, 1}));
}

// A graticule range that would not draw, or draw for minutes, is refused
// with code 5 and draws nothing; the finest accepted one and an absurd line
// width still draw promptly.
TEST_F(MapControl, GraticuleRangeAndWidthCannotStallTheWindow) {
  const double nan = std::nan("");
  WindowMap ref(kEquirectangular, 200, 150);
  ref.map.MapSettings.DrawGrid = false;
  ref.map.Render();
  for (const auto& [spacing, step, maxLon] :
       {std::tuple{0.0, 1.0, 180.0}, {-30.0, 1.0, 180.0}, {nan, 1.0, 180.0}, {30.0, 0.0, 180.0},
        {30.0, nan, 180.0}, {1e-9, 1.0, 180.0}, {30.0, 1e-12, 180.0}, {30.0, 1.0, INFINITY}}) {
    WindowMap w(kEquirectangular, 200, 150);
    w.map.SetGridRange(maxLon, -180, 90, -90, spacing, step);
    w.map.Render();
    EXPECT_EQ(w.errors, std::vector<int>{5}) << spacing << " " << step << " " << maxLon;
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

TEST_F(MapControl, SavedMapAndPaintStep) {
  WindowMap w(kEquirectangular, 528, 507);
  w.map.Render();
  w.map.SaveMap();
  const QImage first = w.map.MainMap();
  w.map.MapSettings.UseColorEmpty = false;  // no fill: the saved drawing stays
  w.map.MapSettings.DrawColorMap = w.map.MapSettings.DrawGrid = false;
  w.map.MapSettings.DrawCoast = false;
  w.map.Render();
  EXPECT_EQ(w.map.MainMap(), first);

  w.map.SetMainMap(Filled(300, 200, Qt::red));
  const QImage shot = w.map.grab().toImage();
  EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::red));
  EXPECT_EQ(shot.pixelColor(400, 5), QColor(Qt::black));
  EXPECT_EQ(shot.pixelColor(5, 300), QColor(Qt::black));
}

// Other programs' "Gx*.tmp" files in the temporary folder are not ours.
TEST_F(MapControl, LeavesOthersTemporaryFiles) {
  const QString path = QDir::temp().filePath(
      QStringLiteral("GxOther%1.tmp").arg(QCoreApplication::applicationPid()));
  QFile(path).open(QIODevice::WriteOnly);
  { TGxMapImageL map; }
  EXPECT_TRUE(QFile::exists(path));
  QFile::remove(path);
}

TEST(SaveAsJpeg, BaselineOrProgressiveAndCleanFailures) {
  QTemporaryDir dir;
  const QImage img = Filled(64, 48, QColor(200, 40, 90));
  for (bool progressive : {false, true}) {
    const QString file = dir.filePath(progressive ? "p.jpg" : "b.jpg");
    ASSERT_TRUE(SaveAsJpeg(img, file, 100, progressive));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes.contains("\xFF\xC2"), progressive);  // SOF2
    EXPECT_EQ(bytes.contains("\xFF\xC0"), !progressive);  // SOF0: baseline
    const QColor c = QImage(file).pixelColor(30, 20);
    EXPECT_NEAR(c.red(), 200, 3);
    EXPECT_NEAR(c.blue(), 90, 3);
  }
  QString error;
  EXPECT_FALSE(SaveAsJpeg(img, dir.filePath("missing/x.jpg"), 100, false, &error));
  EXPECT_TRUE(error.contains("missing/x.jpg"));
  EXPECT_FALSE(SaveAsJpeg(QImage(), dir.filePath("empty.jpg"), 100, false, &error));
  ASSERT_TRUE(QDir(dir.path()).mkdir("taken.jpg"));  // a folder holds the name
  EXPECT_FALSE(SaveAsJpeg(img, dir.filePath("taken.jpg"), 100, false, &error));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
            (QStringList{"b.jpg", "p.jpg", "taken.jpg"}));
}
