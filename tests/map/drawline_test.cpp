#include <gtest/gtest.h>

#include <QImage>

#include <chrono>
#include <cmath>
#include <limits>

#include "mapimage/DrawLine.h"
#include "tests/map/MapFixture.h"

namespace {

QImage White(int w, int h) { return Filled(w, h, Qt::white); }

int Grey(const QImage& img, int x, int y) { return qRed(img.pixel(x, y)); }

// Every pixel blended by its distance, without the column following: what
// the rasteriser must produce while visiting far fewer rows.
QImage FullScan(int x1, int y1, int x2, int y2, int w, int h, double width) {
  QImage img = White(w, h);
  const double ww = width + 2;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double d = std::fabs(2 * SegmentDistance(x, y, x1, y1, x2, y2, ww));
      if (d <= ww) BlendPixel(img, x, y, 0, 0, 0, EdgeAlpha(d, ww));
    }
  return img;
}

}  // namespace

// 255*sin^2(v/2) with v = width + 2 - 2s: 253.7, 180.6, 58.6 for s = 0, 0.5, 1;
// blended exactly, ((255 - a)*old + a*k + 127) / 255: 2, 128, 197 on white.
TEST(DrawLine, AlphaProfileAndExactBlend) {
  for (auto [d, alpha] : {std::pair{0.0, 253}, {1.0, 180}, {2.0, 58}, {3.0, 0}, {std::nan(""), 0}})
    EXPECT_EQ(EdgeAlpha(d, 3), alpha) << d;
  QImage img = White(24, 12);
  DrawLine(2, 5, 20, 5, img, Qt::black, 1.0, true);
  for (int x = 4; x <= 18; ++x)  // alpha 0 (row 3) leaves the pixel as it was
    EXPECT_TRUE(Grey(img, x, 5) == 2 && Grey(img, x, 4) == 197 && Grey(img, x, 3) == 255) << x;
  BlendPixel(img, 0, 0, 0, 0, 0, 128);
  BlendPixel(img, 1, 0, 90, 90, 90, 255);
  BlendPixel(img, 24, 0, 0, 0, 0, 255);  // outside: skipped
  EXPECT_EQ(Grey(img, 0, 0), 127);
  EXPECT_EQ(Grey(img, 1, 0), 90);

  // Every channel on its own: a coloured line over a coloured ground, the
  // values worked out by hand from ((255 - a) old + a k + 127) / 255 with
  // a = 253 on the line and 58 one pixel off it.
  QImage ground(24, 12, QImage::Format_BGR888);
  ground.fill(QColor(10, 220, 130));
  DrawLine(2, 5, 20, 5, ground, QColor(200, 40, 90), 1.0, true);
  EXPECT_EQ(ground.pixelColor(10, 5), QColor(199, 41, 90));
  for (int y : {4, 6}) EXPECT_EQ(ground.pixelColor(10, y), QColor(53, 179, 121)) << y;
}

// A segment crossing the bitmap with all four coordinates outside is drawn;
// only two ends beyond the same edge are rejected.
TEST(DrawLine, OnlySegmentsBeyondOneEdgeAreDropped) {
  struct Case { int x1, y1, x2, y2; bool outside; };
  for (const Case c : {Case{-10, -10, 110, 60, false}, {-10, 60, 110, -10, false}, {-5, -5, -1, 60, true},
                       {101, 0, 200, 10, true}, {0, -1, 99, -7, true}, {0, 51, 99, 70, true},
                       {100, 50, 100, 50, false}})
    EXPECT_EQ(LineOutside(c.x1, c.x2, c.y1, c.y2, 100, 50), c.outside) << c.x1 << "," << c.y1;
  for (bool aa : {false, true}) {
    QImage img = White(40, 40);
    DrawLine(-10, -10, 50, 50, img, Qt::black, 1.0, aa);
    for (int i = 0; i < 40; i += 13) EXPECT_LT(Grey(img, i, i), 10) << i << " aa " << aa;
  }
}

// The column following shades what a full scan shades in every direction, for dots and far ends; rows
// and columns are clipped each by their own bound.
TEST(DrawLine, AntiAliasedMatchesFullScan) {
  struct Seg { int x1, y1, x2, y2; double width; int w = 36, h = 30; };
  for (const Seg s : {Seg{3, 3, 30, 20, 1}, {30, 3, 3, 20, 1}, {5, 2, 8, 28, 2.5}, {8, 2, 5, 28, 1},
                      {2, 10, 33, 10, 3}, {16, 2, 16, 27, 1}, {-20, -5, 50, 40, 1}, {50, -9, -12, 33, 2},
                      {12, 12, 12, 12, 3}, {3, 25, 31, 24, 1.5}, {-40, -300, 50, 400, 1, 12, 120},
                      {5, -900, 7, 700, 2, 12, 120}, {60, 10, -50, 90, 1, 12, 120},
                      {-3, 119, 14, -2, 1.5, 12, 120}}) {
    QImage img = White(s.w, s.h);
    DrawLine(s.x1, s.y1, s.x2, s.y2, img, Qt::black, s.width, true);
    EXPECT_EQ(img, FullScan(s.x1, s.y1, s.x2, s.y2, s.w, s.h, s.width))
        << s.x1 << "," << s.y1 << " " << s.x2 << "," << s.y2 << " width " << s.width << " on " << s.w;
  }
}

// Plain widths are truncated and nothing is drawn below one. Projections put
// line ends a quarter of a billion pixels away; the work stays bounded by the
// bitmap, and so does an absurd width.
TEST(DrawLine, WidthsAndFarEnds) {
  QImage plain = White(24, 12);
  DrawLine(2, 5, 20, 5, plain, Qt::black, 3.7, false);
  for (int y = 3; y <= 7; ++y) EXPECT_EQ(Grey(plain, 10, y), y == 3 || y == 7 ? 255 : 0) << y;
  const int far = 1 << 28;
  const auto start = std::chrono::steady_clock::now();
  for (bool aa : {false, true}) {
    for (double width : {0.5, -3.0, std::numeric_limits<double>::quiet_NaN()}) {
      QImage none = White(20, 20);
      DrawLine(0, 0, 19, 19, none, Qt::black, width, aa);
      EXPECT_EQ(none, White(20, 20)) << width;
    }
    QImage img = White(50, 40);
    DrawLine(20, -far, 20, far, img, Qt::black, 1.0, aa);
    DrawLine(-far, -far + 7, far, far + 7, img, Qt::black, 1.0, aa);
    EXPECT_LT(Grey(img, 20, 39), 10) << aa;  // the column
    EXPECT_LT(Grey(img, 30, 37), 10) << aa;  // the diagonal
    EXPECT_EQ(Grey(img, 25, 2), 255) << aa;
    DrawLine(0, 0, 49, 39, img, Qt::black, 1e300, aa);
    EXPECT_EQ(Grey(img, 0, 39), 0);
    // Taller than wide: a steep line from far above to far below crosses
    // every row within a pixel of the column its slope gives (QPainter's
    // pixels lie right of and below their point, ours about it).
    QImage tall = White(10, 200);
    DrawLine(-far / 64, -far, far / 64 + 8, far, tall, Qt::black, 1.0, aa);
    for (int y = 0; y < 200; y += 37) {
      const double x = 4 + y / 64.0;
      int darkest = 0;
      for (int c = 1; c < 10; ++c)
        if (Grey(tall, c, y) < Grey(tall, darkest, y)) darkest = c;
      EXPECT_LT(Grey(tall, darkest, y), 100) << y << " aa " << aa;
      EXPECT_LE(std::fabs(darkest - x), 1.0) << y << " aa " << aa << " " << darkest;
    }
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}
