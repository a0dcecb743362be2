// The line layers' segment batch: exact one-by-one drawing within the work
// budget, bounded polyline drawing beyond it.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "mapimage/DrawLine.h"
#include "mapimage/LineBatch.h"
#include "tests/map/MapFixture.h"

namespace {

// Pixels darker than mid-grey, or (`painted`) not white at all.
int Dark(const QImage& img, bool painted = false) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      n += painted ? img.pixel(x, y) != qRgb(255, 255, 255) : qRed(img.pixel(x, y)) < 128;
  return n;
}

// The batch drawn on a white w x h image as the line layers draw it.
QImage Drawn(const TLineBatch& batch, int w, int h, QColor colour = Qt::black) {
  QImage img = Filled(w, h, Qt::white);
  {
    TLineCanvas canvas(img);
    batch.Draw(canvas, colour);
  }
  return img;
}

// The path batched within the budget draws what DrawLine draws segment by
// segment; returns how many segments the batch kept.
std::size_t ExpectDrawnAsDrawLine(const std::vector<TSegment>& path, double width, bool aa) {
  QImage expected = Filled(60, 50, Qt::white);
  TLineBatch batch(60, 50, width, aa);
  for (const TSegment& s : path) {
    DrawLine(s.x1, s.y1, s.x2, s.y2, expected, Qt::darkBlue, width, aa);
    batch.Add(s.x1, s.y1, s.x2, s.y2);
  }
  EXPECT_TRUE(batch.WithinBudget());
  EXPECT_EQ(Drawn(batch, 60, 50, Qt::darkBlue), expected) << "aa " << aa << " width " << width;
  return batch.Segments().size();
}

}  // namespace

// Within the budget the batch draws exactly what DrawLine draws segment by segment: anti-aliased and
// plain, overlapping blends, a plain dot left out, and coastlines sampled finer than the pixels,
// whose repeated points the plain batch drops, also where a polyline leaves the bitmap and comes back.
TEST(LineBatch, WithinBudgetDrawsEverySegmentAsDrawLineDoes) {
  for (bool aa : {true, false})
    for (double width : {1.0, 3.5})
      ExpectDrawnAsDrawLine({{5, 5, 40, 12}, {40, 12, 40, 12}, {40, 12, 33, 45}, {33, 45, 5, 5},
                             {-20, 30, 80, 31}}, width, aa);
  std::uint32_t state = 12345;
  auto next = [&](int range) {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(range));
  };
  for (int trial = 0; trial < 200 && !HasFailure(); ++trial) {
    std::vector<TSegment> path;
    int x = next(48), y = next(40);
    for (int i = 0; i < 60; ++i) {
      // Mostly repeats and short steps, sometimes a jump across the bitmap or beyond its edges.
      const int kind = next(10);
      int nx = x, ny = y;
      if (kind >= 4 && kind < 9) {
        nx += next(5) - 2;
        ny += next(5) - 2;
      }
      if (kind == 9) {
        nx = next(80) - 16;
        ny = next(72) - 16;
      }
      path.push_back({x, y, nx, ny});
      x = nx;
      y = ny;
    }
    EXPECT_LT(ExpectDrawnAsDrawLine(path, 1.0, false), path.size()) << "trial " << trial;
  }
}

// A pile of segments far beyond the budget (every sample of a very fine
// graticule on one spot) keeps only what its polyline needs and draws the
// same shape: a wide dot where the pile is, a wide stroke along a line.
TEST(LineBatch, BeyondBudgetDrawsPolylinesFromFewSegments) {
  for (bool aa : {true, false}) {
    TLineBatch batch(100, 100, 30, aa);
    for (int i = 0; i < 200000; ++i) batch.Add(30, 30, 30, 30);
    for (int x = 30; x < 60; ++x)
      for (int repeat = 0; repeat < 1000; ++repeat) batch.Add(x, 30, x + (repeat == 999), 30);
    EXPECT_FALSE(batch.WithinBudget());
    EXPECT_LT(batch.Segments().size(), 100u);
    const QImage img = Drawn(batch, 100, 100);
    // Along the stroke and across its width of 30; nothing far from it.
    for (int x = 30; x <= 60; x += 5)
      for (int y = 20; y <= 40; y += 2) EXPECT_LT(qRed(img.pixel(x, y)), 128) << x << "," << y;
    for (auto [x, y] : {std::pair{5, 30}, {92, 30}, {45, 60}, {45, 3}})
      EXPECT_EQ(qRed(img.pixel(x, y)), 255) << x << "," << y;
    EXPECT_TRUE(Dark(img) > 30 * 26 && Dark(img) < 62 * 32) << Dark(img);
  }
}

// A polyline whose points leave the painter's safe range (or are NaN-saturated
// pixels) is clipped, and a break between two polylines is not bridged.
TEST(LineBatch, PolylinesAreClippedAndBrokenWhereTheSegmentsAre) {
  TLineBatch batch(50, 50, 64, false);
  batch.Add(-(1 << 28), 10, 1 << 28, 10);
  batch.Add(25, 40, 25, 40);  // new polyline: a dot, not a line from (1 << 28, 10)
  for (int i = 0; i < 300000; ++i) batch.Add(25, 40, 25, 40);
  ASSERT_FALSE(batch.WithinBudget());
  const QImage drawn = Drawn(batch, 50, 50);
  for (auto [x, y] : {std::pair{0, 10}, {49, 10}, {25, 40}}) EXPECT_LT(qRed(drawn.pixel(x, y)), 128);
}

// A line up a column and back (a narrow inlet) keeps its turn when simplified; in a vector file an
// island smaller than a pixel is a square of the line's width.
TEST(LineBatch, PolylineKeepsATurnBackAlongItself) {
  TLineBatch batch(40, 40, 1, false);
  // Up the column from 30 to 20, then down to 32.
  for (int i = 1; i <= 22; ++i) batch.Add(10, 20 + std::abs(i - 11), 10, 20 + std::abs(i - 10));
  batch.Add(30, 5, 30, 5);  // an island smaller than a pixel
  const auto stroked = [&](bool vector) {
    QImage img = Filled(40, 40, Qt::white);
    QPainter painter(&img);
    if (vector) painter.translate(0.5, 0.5);
    batch.Stroke(painter, Qt::black, vector);
    painter.end();
    return img;
  };
  const QImage img = stroked(false), squares = stroked(true);
  for (int y = 20; y <= 32; ++y) EXPECT_LT(qRed(img.pixel(10, y)), 128) << y;
  // The island, the turn half a pixel on, and the column.
  EXPECT_EQ(qRed(squares.pixel(30, 5)), 0);
  EXPECT_LT(qRed(squares.pixel(10, 21)), 128);
  EXPECT_GE(Dark(squares), 12 + 1);
}

// A 64-pixel anti-aliased graticule sampled every 0.0024 degrees, and coastlines that wide, used to
// hold the drawing for minutes; they draw the coarse graticule's wide lines.
TEST(LineBatch, FineWideGraticuleDrawsItsLines) {
  WindowMap fine(kMollweide, 200, 150), coarse(kMollweide, 200, 150);
  fine.map.SetGridRange(180, -180, 90, -90, 30, 0.0024);
  for (WindowMap* m : {&fine, &coarse}) {
    m->Layers(false, true, true);
    m->map.MapSettings.AntiAlias = true;
    m->map.MapSettings.LineWidth = 64;
    m->map.Render();
  }
  const int a = Dark(fine.map.MainMap(), true), b = Dark(coarse.map.MainMap(), true);
  EXPECT_TRUE(fine.errors.empty());
  EXPECT_GT(a, 200 * 150 / 2);
  EXPECT_LE(std::abs(a - b), 200 * 150 / 10) << a << " " << b;
}
