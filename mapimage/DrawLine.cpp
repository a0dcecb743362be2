#include "mapimage/DrawLine.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstdint>

bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double lo, double hiX,
                 double hiY) {
  const double dx = x2 - x1, dy = y2 - y1;
  double t0 = 0.0, t1 = 1.0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x1 - lo, hiX - x1, y1 - lo, hiY - y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0.0) t0 = std::max(t0, t);
    else t1 = std::min(t1, t);
    if (t0 > t1) return false;
  }
  const double ax = x1 + t0 * dx, ay = y1 + t0 * dy;
  x2 = x1 + t1 * dx;
  y2 = y1 + t1 * dy;
  x1 = ax;
  y1 = ay;
  return true;
}

namespace {

// QPainter rasterises in fixed point; coordinates beyond this are clipped to
// the bitmap (plus a margin for the pen) before they reach it.
constexpr double kPainterSafe = 16384.0;
// Widths beyond these cover any bitmap anyway and keep the integer margin and
// the pen width in range.
constexpr double kMaxWorkingWidth = 1.0e9;
constexpr int kMaxPenWidth = 65535;

inline void Blend(uchar* px, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                  std::uint8_t alpha) {
  // Exact rounding division by 255: alpha 0 keeps the pixel, 255 gives the
  // colour. (Dividing by 256 darkened every pixel the band touched and never
  // reached the line colour.)
  const unsigned a = alpha, na = 255u - alpha;
  px[0] = static_cast<uchar>((na * px[0] + a * blue + 127u) / 255u);
  px[1] = static_cast<uchar>((na * px[1] + a * green + 127u) / 255u);
  px[2] = static_cast<uchar>((na * px[2] + a * red + 127u) / 255u);
}

void DrawPlain(int x1, int y1, int x2, int y2, TLineCanvas& canvas, const QColor& colour,
               double width) {
  const QImage& bmp = canvas.Bitmap();
  const int penWidth = width < kMaxPenWidth ? static_cast<int>(width) : kMaxPenWidth;
  QPoint from(x1, y1), to(x2, y2);
  const double margin = penWidth + 2.0;
  auto unsafe = [&](int x, int y) {
    return x < -kPainterSafe || y < -kPainterSafe || x > bmp.width() + kPainterSafe ||
           y > bmp.height() + kPainterSafe;
  };
  if (unsafe(x1, y1) || unsafe(x2, y2)) {
    double ax = x1, ay = y1, bx = x2, by = y2;
    if (!ClipSegment(ax, ay, bx, by, -margin, bmp.width() + margin, bmp.height() + margin))
      return;
    from = QPoint(static_cast<int>(std::lround(ax)), static_cast<int>(std::lround(ay)));
    to = QPoint(static_cast<int>(std::lround(bx)), static_cast<int>(std::lround(by)));
  }
  canvas.PlainLine(from, to, colour, penWidth);
}

// The column rasteriser. Columns and rows outside the bitmap are not visited:
// they blend nothing, and starting a column at row 0 or the bitmap's first
// column instead of farther out only adds rows above the band, where the
// coverage is 0 and blending changes nothing. This bounds the work by the
// bitmap's area however far off the ends lie.
void DrawAntiAliased(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                     QImage& bmp, const QColor& colour, double width) {
  if (bmp.format() != QImage::Format_BGR888) return;
  const std::int64_t W = bmp.width(), H = bmp.height();
  if (W <= 0 || H <= 0) return;
  uchar* bits = bmp.bits();
  const std::int64_t stride = bmp.bytesPerLine();

  const double w = std::min(width + 2.0, kMaxWorkingWidth);
  const auto r = static_cast<std::int64_t>(w / 2.0 + 1.0);
  const auto red = static_cast<std::uint8_t>(colour.red());
  const auto green = static_cast<std::uint8_t>(colour.green());
  const auto blue = static_cast<std::uint8_t>(colour.blue());

  const std::int64_t dx = x2 - x1, dy = y2 - y1;
  const bool rightward = dx * dy >= 0 && dy != 0;
  std::int64_t x, xLast, step;
  if (rightward) {
    x = std::max<std::int64_t>(x1 - r, 0);
    xLast = std::min<std::int64_t>(x2 + r, W - 1);
    step = 1;
  } else {
    x = std::min<std::int64_t>(x1 + r + 1, W - 1);
    xLast = std::max<std::int64_t>(x2 - r, 0);
    step = -1;
  }
  if ((xLast - x) * step < 0) return;

  const double fx1 = static_cast<double>(x1), fy1 = static_cast<double>(y1);
  const double fx2 = static_cast<double>(x2), fy2 = static_cast<double>(y2);
  std::int64_t yTop = y1 - r;
  for (;; x += step) {
    std::int64_t y = std::max<std::int64_t>(yTop, 0);
    std::int64_t yEnd = y2 + r;
    std::uint8_t prev = 0;
    bool passed = false;
    while (y < std::min(yEnd, H)) {
      const double d = std::fabs(
          2.0 * SegmentDistance(static_cast<double>(x), static_cast<double>(y), fx1, fy1, fx2,
                                fy2, w));
      const std::uint8_t a = EdgeAlpha(d, w);
      if (d <= w) Blend(bits + y * stride + 3 * x, red, green, blue, a);
      if (a < prev) passed = true;
      if (a > 0 && prev == 0 && !passed) yTop = y - 1;
      if (passed && a == 0) yEnd = y;
      prev = a;
      ++y;
    }
    if (x == xLast) break;
  }
}

}  // namespace

TLineCanvas::TLineCanvas(QImage& bitmap) : bitmap_(bitmap) {}

TLineCanvas::~TLineCanvas() { Flush(); }

QPainter& TLineCanvas::Painter() {
  Flush();
  if (!painter_) painter_ = std::make_unique<QPainter>(&bitmap_);
  plainSet_ = false;
  return *painter_;
}

QPainter& TLineCanvas::PlainPainter(const QColor& colour, int penWidth) {
  if (!painter_) {
    painter_ = std::make_unique<QPainter>(&bitmap_);
    plainSet_ = false;
  }
  if (!plainSet_ || penWidth != plainWidth_ || colour != plainColour_) {
    Flush();
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setPen(QPen(colour, penWidth, Qt::SolidLine));
    plainColour_ = colour;
    plainWidth_ = penWidth;
    plainSet_ = true;
  }
  return *painter_;
}

void TLineCanvas::PlainLine(const QPoint& from, const QPoint& to, const QColor& colour,
                            int penWidth) {
  QPainter& painter = PlainPainter(colour, penWidth);
  // Only a one-pixel pen draws a batch line by line; a wider one would
  // stroke the batch as one outline.
  if (penWidth > 1) {
    painter.drawLine(from, to);
    return;
  }
  pending_[pendingCount_++] = QLine(from, to);
  if (pendingCount_ == kBatch) Flush();
}

void TLineCanvas::Flush() {
  if (pendingCount_ == 0) return;
  const int n = pendingCount_;
  pendingCount_ = 0;
  painter_->drawLines(pending_, n);
}

void TLineCanvas::End() {
  Flush();
  painter_.reset();
  plainSet_ = false;
}

double SegmentDistance(double px, double py, double x1, double y1, double x2, double y2,
                       double w) {
  const double L = std::hypot(x2 - x1, y2 - y1);
  const double d1 = std::hypot(px - x1, py - y1);
  const double d2 = std::hypot(px - x2, py - y2);
  if (L != 0.0 && d1 <= L && d2 <= L)
    return std::fabs(((y1 - py) * (x2 - x1) - (x1 - px) * (y2 - y1)) / (L * L) * L);
  if (d1 <= w) return d1;
  if (d2 <= w) return d2;
  return 2.0 * w;
}

std::uint8_t EdgeAlpha(double d, double w) {
  const double v = w - d;
  if (v > 3.0) return 255;
  if (!(v > 0.0)) return 0;  // NaN too
  const double s = std::sin(v / 2.0);
  return static_cast<std::uint8_t>(255.0 * s * s);
}

void BlendPixel(QImage& bitmap, int x, int y, std::uint8_t red, std::uint8_t green,
                std::uint8_t blue, std::uint8_t alpha) {
  if (bitmap.format() != QImage::Format_BGR888) return;
  if (x < 0 || y < 0 || x >= bitmap.width() || y >= bitmap.height()) return;
  Blend(bitmap.scanLine(y) + 3 * x, red, green, blue, alpha);
}

void DrawLine(int x1, int y1, int x2, int y2, TLineCanvas& canvas, const QColor& colour,
              double width, bool antiAlias) {
  if (!(width >= 1.0)) return;
  QImage& bmp = canvas.Bitmap();
  if (bmp.isNull() || LineOutside(x1, x2, y1, y2, bmp.width(), bmp.height())) return;
  if ((x1 >= x2 && y1 > y2) || (x1 <= x2 && y1 >= y2)) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  if (antiAlias) {
    canvas.Flush();  // a blend depends on the pixels beneath it
    DrawAntiAliased(x1, y1, x2, y2, bmp, colour, width);
  } else {
    DrawPlain(x1, y1, x2, y2, canvas, colour, width);
  }
}

void DrawLine(int x1, int y1, int x2, int y2, QImage& bitmap, const QColor& colour, double width,
              bool antiAlias) {
  TLineCanvas canvas(bitmap);
  DrawLine(x1, y1, x2, y2, canvas, colour, width, antiAlias);
}
