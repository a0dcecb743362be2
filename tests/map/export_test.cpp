// Maps for print and the web: bilinear sampling, the recipe, the size rule,
// vector files read as XML and drawn by real renderers, own pictures.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <cmath>
#include <memory>
#include <tuple>

#include "mapimage/Coastlines.h"
#include "mapimage/MapExport.h"
#include "mapimage/MapFrame.h"
#include "mapimage/MapRecipe.h"
#include "mapimage/PixelMath.h"
#include "tests/map/MapFixture.h"
#include "tests/map/TinyDisk.h"

namespace {

TExportDrawing Draw(WindowMap& m, TMapFileKind kind) {
  const std::atomic<bool> stop{false};
  TExportDrawing d = DrawForFile(TMapSnapshot::Of(&m.p, m.map.Look(), m.map.MapSettings.ColorMap(),
                                                  m.map.SharedCoastline(), true, m.map.size()),
                                 kind, stop);
  EXPECT_TRUE(d.finished);
  return d;
}

// Runs a renderer (tools/install-deps brings them); an empty string or what went wrong.
QString RunTool(const QString& program, const QStringList& args) {
  QProcess proc;
  proc.start(program, args);
  const bool ok =
      proc.waitForFinished(120000) && proc.exitStatus() == QProcess::NormalExit && proc.exitCode() == 0;
  return ok ? QString() : program + " failed: " + proc.errorString() + proc.readAllStandardError();
}

// The pixels within `radius` pixels each way of one lit on the white background.
std::vector<bool> LitNear(const QImage& image, int radius) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  const int W = rgb.width(), H = rgb.height();
  std::vector<bool> lit(std::size_t(W) * H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (const uchar* p = rgb.constScanLine(y) + 3 * x; std::min({p[0], p[1], p[2]}) < 200)
        for (int v = std::max(0, y - radius); v <= std::min(H - 1, y + radius); ++v)
          for (int u = std::max(0, x - radius); u <= std::min(W - 1, x + radius); ++u)
            lit[std::size_t(v) * W + u] = true;
  return lit;
}

struct Parsed {
  TRecipe recipe;
  QStringList warnings;
  QString error;
  bool ok;  // last: parsed into the fields above
  explicit Parsed(const QString& text) : ok(ParseRecipe(text, recipe, warnings, error)) {}
};

struct Polyline {
  QString stroke;
  std::vector<QPointF> points;  // with the translations of the groups around it
};

std::vector<Polyline> PolylinesOf(const QByteArray& svg) {
  std::vector<Polyline> lines;
  std::vector<std::pair<QPointF, QString>> groups{{QPointF(), QString()}};  // shift, stroke
  QXmlStreamReader xml(svg);
  while (!xml.atEnd()) {
    xml.readNext();
    const QXmlStreamAttributes a = xml.attributes();
    if (xml.isStartElement() && xml.name() == QLatin1String("g")) {
      auto [shift, stroke] = groups.back();
      const QStringList m = a.value("transform").toString().remove("matrix(").remove(')').split(',');
      if (m.size() == 6) shift += QPointF(m[4].toDouble(), m[5].toDouble());
      groups.push_back({shift, a.hasAttribute("stroke") ? a.value("stroke").toString() : stroke});
    } else if (xml.isEndElement() && xml.name() == QLatin1String("g")) {
      groups.pop_back();
    } else if (xml.isStartElement() && xml.name() == QLatin1String("polyline")) {
      lines.push_back({groups.back().second, {}});
      for (const QString& pair : a.value("points").toString().split(' ', Qt::SkipEmptyParts)) {
        const QStringList xy = pair.split(',');
        lines.back().points.push_back(QPointF(xy[0].toDouble(), xy[1].toDouble()) + groups.back().first);
      }
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return lines;
}

// A PNG whose header promises w x h pixels that never come: its one data chunk is empty.
QByteArray PngHeaderOnly(quint32 w, quint32 h) {
  auto be = [](quint32 v) { return QByteArray::fromHex(QByteArray::number(v, 16).rightJustified(8, '0')); };
  auto crc = [&](const QByteArray& b) {
    quint32 c = 0xFFFFFFFFu;
    for (char ch : b) {
      c ^= quint8(ch);
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return be(~c);
  };
  const QByteArray ihdr = "IHDR" + be(w) + be(h) + QByteArray("\x08\x02\x00\x00\x00", 5);
  return QByteArray("\x89PNG\r\n\x1A\n", 8) + be(13) + ihdr + crc(ihdr) + be(0) + "IDAT" + crc("IDAT");
}

}  // namespace

// ---- Bilinear sampling --------------------------------------------------------

// Hand-worked blends on a 2 x 2 picture (centres at +-90, +-45): wrapping east to west,
// keeping the edge rows towards the poles, rounding half up, refusing what is off the Earth.
TEST(Bilinear, TwoByTwoPictureGivesTheHandWorkedValues) {
  const uchar px[2][2] = {{0, 100}, {200, 50}};  // [row][column]
  struct Case { double lon, lat; int expected; };  // -1: no colour
  const Case cases[] = {
      {-90, 45, 0},  {90, 45, 100}, {-90, -45, 200},   {90, -45, 50},    {0, 45, 50},
      {-180, 45, 50}, {180, 45, 50}, {-90, 0, 100},    {0, 0, 88},       {-45, 22.5, 59},
      {-90, 90, 0},  {-90, -90, 200}, {135, -67.5, 88}, {-90, 90.5, -1}, {std::nan(""), 0, -1},
      {0, std::nan(""), -1}, {400, 0, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lon << ", " << c.lat);
    TBilinearTaps t;
    const bool ok = BilinearTapsOf(c.lon, c.lat, 2, 2, t);
    ASSERT_EQ(ok, c.expected >= 0);
    if (!ok) continue;
    EXPECT_EQ(BlendChannel(px[t.y0][t.x0], px[t.y0][t.x1], px[t.y1][t.x0], px[t.y1][t.x1], t.fx, t.fy),
              c.expected);
  }
  EXPECT_FALSE(BilinearTapsOf(0, 0, 0, 2, *std::make_unique<TBilinearTaps>()));
}

// The detailed picture changes the colour layer only: same lines, same Earth's outline.
TEST(Bilinear, DetailDiffersFromStandardOnlyInTheColourLayer) {
  const QColor empty(255, 0, 255);  // a background that no picture holds (the Antarctic is white)
  auto draw = [&](bool detail, bool colour, bool lines) {
    WindowMap m(kMollweide, 600, 400);
    m.map.MapSettings.ColorEmpty = empty;
    m.Layers(colour, lines, lines);
    if (detail) {
      m.map.MapSettings.SetColorMap(LoadEarthPicture(kDetailEarthPicture));
      m.map.MapSettings.Sampling = TSampling::Bilinear;
    }
    m.map.Render();
    return m.map.MainMap();
  };
  const QImage standard = draw(false, true, true), detail = draw(true, true, true),
               standardColour = draw(false, true, false), detailColour = draw(true, true, false),
               lines = draw(false, false, true);
  int differing = 0;
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 600; ++x) {
      const bool earth = standardColour.pixelColor(x, y) != empty;
      EXPECT_EQ(earth, detailColour.pixelColor(x, y) != empty) << x << "," << y;
      if (lines.pixelColor(x, y) != empty) {
        EXPECT_EQ(standard.pixelColor(x, y), detail.pixelColor(x, y)) << x << "," << y;
      } else if (standard.pixelColor(x, y) != detail.pixelColor(x, y)) {
        EXPECT_TRUE(earth) << x << "," << y;
        ++differing;
      }
    }
  EXPECT_GT(differing, 10000);
}

// ---- The recipe ------------------------------------------------------------------

// Degrees are written short, yet read back to the very same radians.
TEST(Recipe, DegreesAreWrittenSoThatTheyGiveTheSameRadians) {
  for (const double degrees : {0.0, 25.0, -179.9, 0.1, 33.333, 1.0 / 3.0, 89.99999, -90.0, 1e-7}) {
    const double radians = degrees * gx::kDegToRad;
    const QString text = DegreesText(radians);
    EXPECT_EQ(text.toDouble() * gx::kDegToRad, radians) << degrees;
    EXPECT_LE(text.size(), QString::number(degrees, 'g', 17).size()) << text.toStdString();
  }
  EXPECT_EQ(DegreesText(25 * gx::kDegToRad), "25");
}

// A recipe, distortion layers and indicatrices too, reads back to itself without a warning.
TEST(Recipe, TextReadsBackToTheSameRecipe) {
  WindowMap m(kMollweide, 1000, 700);
  m.p.SetTheta(-33.3);
  m.p.SetOblique(17);
  m.p.SetAxis(-33.3, 0);
  m.p.Radius = 123.456789;
  m.p.ForwardCutOff = true;
  struct Case { TBackground background; TEarthPicture picture; std::vector<const char*> parts; };
  const Case cases[] = {
      {TBackground::EarthPicture, TEarthPicture::Own,
       {"kind=mpMollweide\nname=Mollweide-Projektion\nsize=1000x700\n", "\nlongitude=-33.3\n",
        "\ntilt=17\n", "\nradius=123.456789\n", "\ncutoff=1\n",
        "\npicture=own\npicture-file=marble.jpg\n"}},
      {TBackground::AreaDistortion, TEarthPicture::Standard, {"\nlayers=area,grid,coast,tissot\n"}},
      {TBackground::AngleDistortion, TEarthPicture::Standard, {"\nlayers=angle,grid,coast,tissot\n"}},
  };
  for (const Case& c : cases) {
    m.map.MapSettings.Background = c.background;
    m.map.MapSettings.Tissot = c.background != TBackground::EarthPicture;
    const QString text = RecipeText(RecipeOf(m.p, m.map.Look(), QSize(1000, 700), c.picture,
                                             c.picture == TEarthPicture::Own ? "marble.jpg" : ""));
    for (const char* part : c.parts) EXPECT_TRUE(text.contains(part)) << text.toStdString();
    const Parsed back(text);
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    EXPECT_TRUE(back.warnings.isEmpty());
    EXPECT_EQ(RecipeText(back.recipe), text);
    EXPECT_EQ(*back.recipe.longitude * gx::kDegToRad, m.p.Theta);
    EXPECT_EQ(*back.recipe.radius, m.p.Radius);
    EXPECT_EQ(back.recipe.background, c.background);
    EXPECT_EQ(back.recipe.tissot, m.map.MapSettings.Tissot);
    EXPECT_TRUE(back.recipe.color);
  }
}

// A damaged recipe is refused with the key named; an unknown key only warns.
TEST(Recipe, BrokenRecipesAreRefusedNamingTheKey) {
  const QString good = "recipe=1\nkind=mpMollweide\nsize=600x400\nradius=80\n";
  struct Case { QString change, named; };  // a line added after the good ones; empty named: accepted
  const Case cases[] = {
      {"kind=mpFoo", "kind"},       {"kind=mpUTM", "kind"},     {"size=9000x10", "size"},
      {"radius=-5", "radius"},      {"radius=nan", "radius"},
      {"latitude=91", "latitude"},  {"longitude=inf", "longitude"}, {"tilt=1e9", "tilt"},
      {"centre=1,2,3", "centre"},   {"centre=x,2", "centre"},   {"ellipsoid=2.5", "ellipsoid"},
      {"layers=color,sea", "layers"}, {"layers=area,angle", "layers"}, {"layers=tissot,angle", ""},
      {"picture=blue", "picture"},  {"cutoff=yes", "cutoff"},   {"line-width=65", "line-width"},
      {"no equals sign here", "line 5"}, {"colour=red", ""},    {"# a comment", ""},
      {"", ""},                     {"layers=", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.change.toStdString());
    const Parsed p(good + c.change + "\n");
    EXPECT_EQ(p.ok, c.named.isEmpty()) << p.error.toStdString();
    EXPECT_TRUE(p.ok || p.error.startsWith(c.named)) << p.error.toStdString();
    EXPECT_EQ(p.warnings.size(), c.change == "colour=red" ? 1 : 0);
  }
  for (const QString& missing : {QString("recipe=1\nsize=600x400\n"), QString("kind=mpMollweide\n")}) {
    const Parsed p(missing);
    EXPECT_FALSE(p.ok);
    EXPECT_TRUE(p.error.contains("does not say")) << p.error.toStdString();
  }
}

// ---- The size of an export --------------------------------------------------------

// The radius grows by the smaller factor and the centre keeps its place.
TEST(ExportSize, RadiusGrowsByTheSmallerFactorAndTheCentreKeepsItsPlace) {
  struct Case { QSize to; double radius, x0, y0; };
  for (const Case& c : {Case{{528, 507}, 75, 264, 253}, Case{{1056, 1014}, 150, 528, 506},
                        Case{{1056, 507}, 75, 528, 253}, Case{{264, 1014}, 37.5, 132, 506},
                        Case{{4096, 4096}, 75 * 4096.0 / 528, 2048, 253 * 4096.0 / 507}}) {
    TGxProjectionL p;
    std::tie(p.Radius, p.X0, p.Y0) = std::tuple(75.0, 264.0, 253.0);
    ScaleMapTo(p, QSize(528, 507), c.to);
    EXPECT_DOUBLE_EQ(p.Radius, c.radius) << c.to.width() << "x" << c.to.height();
    EXPECT_DOUBLE_EQ(p.X0, c.x0);
    EXPECT_DOUBLE_EQ(p.Y0, c.y0);
  }
}

// ---- Vector files ----------------------------------------------------------------

// SVG: one polyline per graticule line on the pixel centres; the escaped recipe reads back.
TEST(VectorExport, SvgHoldsTheGraticuleAsPolylines) {
  WindowMap m(kEquirectangular);
  m.Layers(false, false, true);
  QTemporaryDir dir;
  const QString file = dir.filePath("m.svg");
  ASSERT_EQ(WriteMapFile(Draw(m, TMapFileKind::Svg), file, Qt::white, "Test", "recipe=1\nkind=a&b<c>\n"), "");
  const QByteArray svg = FileBytes(file);
  EXPECT_TRUE(svg.contains("<svg width=\"528\" height=\"507\""));
  EXPECT_FALSE(svg.contains("<image"));  // nothing lies beneath the lines
  const std::vector<Polyline> lines = PolylinesOf(svg);
  ASSERT_EQ(lines.size(), 13u + 7u);
  auto at = [&](double lon) {
    m.p.Forward(lon, 0);
    return QPointF(RoundPixel(m.p.X) + 0.5, RoundPixel(m.p.Y) + 0.5);
  };
  const QPointF west = at(-180), east = at(180);
  EXPECT_EQ(west.y(), 253.5);
  int equators = 0;
  for (const Polyline& l : lines) {
    EXPECT_EQ(l.stroke, "#808080");
    if (l.points.front() == west && l.points.back() == east) {
      ++equators;
      for (const QPointF& q : l.points) EXPECT_EQ(q.y(), 253.5);
    }
  }
  EXPECT_EQ(equators, 1);
  QString text, why;
  ASSERT_TRUE(ReadRecipeText(file, text, why)) << why.toStdString();
  EXPECT_EQ(text, "recipe=1\nkind=a&b<c>\n");
}

// SVG and PDF rasterised by librsvg and poppler's cairo (pdftoppm smooths pictures) light
// the raster map's line pixels within 2 pixels and show the same picture beneath.
TEST(VectorExport, RenderedVectorFilesMatchTheRasterMap) {
  // Lit pixels of a with no lit pixel of b within 2 pixels each way, as "x,y" (the first few).
  auto unmatched = [](const std::vector<bool>& a, const std::vector<bool>& bNear) {
    QStringList misses;
    for (std::size_t i = 0; i < a.size() && misses.size() < 5; ++i)
      if (a[i] && !bNear[i]) misses << QStringLiteral("%1,%2").arg(i % 528).arg(i / 528);
    return misses;
  };
  QTemporaryDir dir;
  for (const auto& [position, tilt] : {std::pair{kMollweide, 0}, {4, 0}, {ListPositionOf(mpRobinson), 30}}) {
    SCOPED_TRACE(testing::Message() << "position " << position);
    std::vector<bool> lines, linesNear;  // what the lines light on the raster map
    for (const bool colour : {false, true}) {
      SCOPED_TRACE(colour ? "with the picture" : "lines only");
      WindowMap m(position, 528, 507);
      m.Layers(colour, true, true);
      if (tilt != 0) {
        m.p.SetOblique(tilt);
        m.p.SetAxis(m.p.Theta * kDeg, m.p.Phi0 * kDeg);
      }
      const QImage raster = Draw(m, TMapFileKind::Raster).map.image;
      const TExportDrawing vectors = Draw(m, TMapFileKind::Svg);
      ASSERT_EQ(vectors.traces.size(), 2u);  // coastlines, graticule
      if (!colour) lines = LitNear(raster, 0), linesNear = LitNear(raster, 2);
      for (const QString format : {"svg", "pdf"}) {
        SCOPED_TRACE(format.toStdString());
        const QString file = dir.filePath("m." + format), png = dir.filePath(format + ".png");
        ASSERT_EQ(WriteMapFile(vectors, file, Qt::white, "Test", "recipe=1\n"), "");
        const QString failed =
            format == "svg" ? RunTool("rsvg-convert", {file, "-o", png})
                            : RunTool("pdftocairo", {"-r", "72", "-singlefile", "-png", file,
                                                     dir.filePath("pdf")});
        ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();
        const QImage drawn = QImage(png).convertToFormat(QImage::Format_RGB888);
        ASSERT_EQ(drawn.size(), raster.size());
        if (!colour) {
          EXPECT_EQ(unmatched(lines, LitNear(drawn, 2)), QStringList());
          EXPECT_EQ(unmatched(LitNear(drawn, 0), linesNear), QStringList());
          continue;
        }
        // The picture beneath, away from the lines: the same colours.
        double total = 0, count = 0;
        int worst = 0;
        for (int y = 0; y < 507; ++y)
          for (int x = 0; x < 528; ++x) {
            if (linesNear[std::size_t(y) * 528 + x]) continue;
            const QColor p = raster.pixelColor(x, y), q = drawn.pixelColor(x, y);
            const int d = std::max({std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                                    std::abs(p.blue() - q.blue())});
            total += d, count += 1, worst = std::max(worst, d);
          }
        ASSERT_GT(count, 100000);
        EXPECT_LT(total / count, 0.5);
        EXPECT_LE(worst, 2);
      }
    }
  }
}

// ---- Pictures of one's own ---------------------------------------------------------

// Only a PNG or JPEG twice as wide as high (give or take a pixel) is taken; anything else,
// an oversized header before its pixels are read too, is refused naming file and reason.
TEST(OwnPicture, TakesWholeEarthPicturesAndRefusesTheRestSayingWhy) {
  QTemporaryDir dir;
  // format null: the bytes are written as they are; why empty: taken.
  struct Case { const char* name; QSize size; const char* format; QByteArray bytes; const char* why; };
  const Case cases[] = {
      {"earth.png", {360, 180}, "PNG", {}, ""},   {"earth.jpg", {200, 100}, "JPEG", {}, ""},
      {"slack.png", {361, 180}, "PNG", {}, ""},   {"square.png", {200, 200}, "PNG", {}, "twice as wide"},
      {"wide.png", {203, 100}, "PNG", {}, "twice as wide"}, {"earth.bmp", {200, 100}, "BMP", {}, "only PNG"},
      {"notes.png", {}, nullptr, "no picture", "cannot be read"},
      {"missing.png", {}, nullptr, {}, "cannot be read"},
      {"over.png", {}, nullptr, PngHeaderOnly(21602, 10801), "larger than"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QFile f(dir.filePath(c.name));
    if (c.format) {
      ASSERT_TRUE(Filled(c.size.width(), c.size.height(), QColor(200, 30, 40)).save(&f, c.format));
    } else if (!c.bytes.isEmpty()) {
      ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(c.bytes) == c.bytes.size());
    }
    f.close();
    QImage picture = Filled(4, 2, Qt::blue);
    QString why;
    const bool taken = LoadPictureFile(dir.filePath(c.name), picture, why);
    EXPECT_EQ(taken, !*c.why) << why.toStdString();
    if (taken) {
      EXPECT_EQ(picture.format(), QImage::Format_BGR888);
      EXPECT_NEAR(picture.pixelColor(10, 10).red(), 200, 3);
    } else {
      EXPECT_TRUE(why.contains(c.why)) << why.toStdString();
      EXPECT_TRUE(why.contains(c.name)) << why.toStdString();
      EXPECT_EQ(picture.size(), QSize(4, 2));  // the picture given stays as it was
    }
  }
}
