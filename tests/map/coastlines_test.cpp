#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

#include "mapimage/Coastlines.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Records as the file holds them, little-endian, built byte by byte so that
// the test does not share the loader's decoding.
QByteArray Records(const std::vector<TCoastPoint>& points) {
  QByteArray bytes;
  for (const TCoastPoint& p : points)
    for (float v : {p.Lon, p.Lat}) {
      std::uint32_t bits;
      std::memcpy(&bits, &v, 4);
      for (int k = 0; k < 4; ++k) bytes.append(static_cast<char>((bits >> (8 * k)) & 0xFF));
    }
  return bytes;
}

QString WriteFile(const QTemporaryDir& dir, const QByteArray& bytes) {
  QFile file(dir.filePath(QStringLiteral("kuesten.bin")));
  EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
  return file.fileName();
}

}  // namespace

// The delivered data has the generator's figures (resources/README.md).
TEST(Coastlines, DeliveredDataMatchesItsFigures) {
  const std::vector<TCoastPoint> points = LoadCoastlines();
  ASSERT_EQ(points.size(), 32709u);
  // Record 0 and the last record as the generator wrote them.
  EXPECT_EQ(points.front().Lon, 180.0f);
  EXPECT_FLOAT_EQ(points.front().Lat, -16.168508529663086f);
  EXPECT_FLOAT_EQ(points.back().Lon, 124.74304962158203f);
  EXPECT_FLOAT_EQ(points.back().Lat, 37.98091125488281f);

  std::size_t runs = 0, closed = 0, lone = 0, start = 0;
  auto endRun = [&](std::size_t end) {
    const TCoastPoint &a = points[start], &b = points[end - 1];
    lone += end - start == 1;
    closed += end - start > 1 && a.Lon == b.Lon && a.Lat == b.Lat;
  };
  TCoastPoint previous{0, 0};  // where the drawing's previous point starts
  for (std::size_t i = 0; i < points.size(); ++i) {
    const TCoastPoint& p = points[i];
    if (StartsNewRun(previous, p)) {
      if (i > 0) endRun(i);
      start = i, ++runs;
    } else {  // nothing runs along the 180th meridian where the land polygons were cut
      EXPECT_FALSE(std::fabs(previous.Lon) == 180.0f && std::fabs(p.Lon) == 180.0f) << i;
    }
    // Antarctica's closing edge along the south edge of the plane is gone.
    EXPECT_TRUE(p.Lat > -85.5f && std::fabs(p.Lon) <= 180.0f) << "record " << i;
    previous = p;
  }
  endRun(points.size());
  EXPECT_EQ(runs, 1422u);
  EXPECT_EQ(closed, 1411u);
  EXPECT_EQ(lone, 0u);
}

// A new run starts one degree or more away on the plane (no wrap at 180), or at NaN.
TEST(Coastlines, RunRuleBreaksAtOneDegree) {
  struct Case { TCoastPoint a, b; bool newRun; };
  for (const Case& c : {Case{{0, 0}, {1, 0}, true}, {{0, 0}, {0.9999f, 0}, false},
                        {{10.5f, 20}, {10.5f, 21}, true}, {{10, 20}, {10, 20.9999f}, false},
                        {{0, 0}, {0.7071f, 0.7071f}, false},  // 0.99999 on the diagonal
                        {{0, 0}, {0.7072f, 0.7072f}, true},   // 1.00013
                        {{-179.5f, 0}, {179.5f, 0}, true},    // plane distance: no wrap at 180
                        {{3, 4}, {3, 4}, false}, {{0, 0}, {kNaN, 0}, true}})
    EXPECT_EQ(StartsNewRun(c.a, c.b), c.newRun)
        << "(" << c.a.Lon << ", " << c.a.Lat << ") to (" << c.b.Lon << ", " << c.b.Lat << ")";
}

// Little-endian float pairs; a damaged file is refused naming itself and the fault.
TEST(Coastlines, ReadsLittleEndianPairsAndFailsOnDamageNamingTheResource) {
  QTemporaryDir dir;
  // 1.0f = 3f800000, -2.5f = c0200000, 200.0f = 43480000, 90.0f = 42b40000.
  const std::vector<TCoastPoint> points =
      LoadCoastlines(WriteFile(dir, QByteArray::fromHex("0000803f000020c0000048430000b442")));
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(std::make_pair(points[0].Lon, points[0].Lat), std::make_pair(1.0f, -2.5f));
  // 200 is left to the projection's wrap; the pole itself is valid.
  EXPECT_EQ(std::make_pair(points[1].Lon, points[1].Lat), std::make_pair(200.0f, 90.0f));

  struct Case { const char* name; QByteArray bytes; const char* says; };
  const QByteArray good = Records({{1, 2}, {3, 4}});
  for (const Case& c : {
           Case{"torn last record", good + Records({{5, 6}}).left(4), "not a whole number"},
           {"seven bytes", good.left(7), "not a whole number"},
           {"empty", QByteArray(), "no points"},
           {"NaN longitude", good + Records({{kNaN, 0}}), "record 2"},
           {"infinite latitude", Records({{0, kInf}}) + good, "record 0"},
           {"negative infinite longitude", good + Records({{-kInf, 0}}), "not a finite number"},
           {"north of the pole", good + Records({{0, 90.001f}}), "beyond +-90"},
           {"south of the pole", Records({{10, -91}}), "record 0"}}) {
    const QString path = WriteFile(dir, c.bytes);
    try {
      LoadCoastlines(path);
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const std::runtime_error& e) {
      const QString message = e.what();
      EXPECT_TRUE(message.contains(path) && message.contains(c.says)) << c.name << ": " << e.what();
    }
  }
  EXPECT_THROW(LoadCoastlines(QStringLiteral(":/NO_SUCH_RESOURCE")), std::runtime_error);
}

// The delivered picture is a 300 x 150 plate carrée, north up; a missing one is refused.
TEST(EarthPicture, IsA24BitPlateCarreeWithNorthUp) {
  const QImage picture = LoadEarthPicture();
  ASSERT_EQ(picture.size(), QSize(300, 150));
  // Pixel of (lon, lat) by the colour pass's lookup, worked by hand:
  // Sahara (10 E, 23 N): x = 150 + round(10 / 1.2) = 158, y = 75 - round(23 / 1.2) = 56.
  // Middle of the Pacific (150 W, 0): x = 150 - 125 = 25, y = 75.
  const QColor sahara = picture.pixelColor(158, 56), pacific = picture.pixelColor(25, 75);
  EXPECT_GT(sahara.red(), std::max(200, sahara.blue() + 15));  // sand: warm, not grey
  EXPECT_GT(pacific.blue(), std::max(pacific.red() + 50, pacific.green()));
  // The bottom row is the Antarctic ice, the top row the Arctic Ocean.
  for (int x : {0, 150, 299}) {
    const QColor south = picture.pixelColor(x, 149), north = picture.pixelColor(x, 0);
    EXPECT_GT(std::min({south.red(), south.green(), south.blue()}), 225) << x;
    EXPECT_GT(north.blue(), north.red() + 50) << x;
  }
  EXPECT_THROW(LoadEarthPicture(QStringLiteral(":/no_such_picture.png")), std::runtime_error);
}
