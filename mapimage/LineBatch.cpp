#include "mapimage/LineBatch.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "mapimage/DrawLine.h"
#include "mapimage/MapPasses.h"

namespace {

// Cost units of the estimate, measured on a 2-core build machine: a visited
// pixel of the anti-aliased column rasteriser (three square roots and a sine)
// against a pixel that QPainter's pen fills, and the overhead of one call.
constexpr double kCostPerBandPixel = 20.0;
constexpr double kCostPerPenPixel = 1.0;
constexpr double kCostPerCall = 30.0;

}  // namespace

double EstimatedLineCost(const TSegment& s, int W, int H, double width, bool antiAlias) {
  if (!(width >= 1.0) || W <= 0 || H <= 0) return 0.0;
  if (LineOutside(s.x1, s.x2, s.y1, s.y2, W, H)) return 0.0;
  const double dx = std::fabs(static_cast<double>(s.x2) - s.x1);
  const double dy = std::fabs(static_cast<double>(s.y2) - s.y1);
  const double w = std::min(width, kMaxLineWidth);
  if (antiAlias) {
    // The rasteriser visits the columns of the segment plus a margin r on
    // each side, and in each column about the band's height there: the
    // working width plus the rise over one column.
    const double r = std::trunc((w + 2.0) / 2.0 + 1.0);
    const double cols = std::min(dx + 2.0 * r + 2.0, static_cast<double>(W));
    const double band = (2.0 * r + 2.0) * (1.0 + dy / std::max(dx, 1.0));
    const double rows = std::min({dy + 2.0 * r + 2.0, band, static_cast<double>(H)});
    return kCostPerCall + kCostPerBandPixel * cols * rows;
  }
  const double length = std::min(std::hypot(dx, dy), static_cast<double>(W) + H);
  return kCostPerCall + kCostPerPenPixel * (length + w) * std::trunc(w);
}

TLineBatch::TLineBatch(int W, int H, double width, bool antiAlias)
    : W_(W), H_(H), width_(std::min(width, kMaxLineWidth)), antiAlias_(antiAlias) {}

void TLineBatch::Reserve(std::int64_t n) {
  if (n <= 0 || static_cast<std::uint64_t>(n) > segments_.max_size()) return;
  try {
    segments_.reserve(static_cast<std::size_t>(n));
  } catch (const std::bad_alloc&) {
    // Grows as it goes instead.
  }
}

// A segment of no length that starts where the previous one ended adds
// nothing to a polyline.
bool TLineBatch::ContinuesWithoutLength(const TSegment& s) const {
  if (s.x1 != s.x2 || s.y1 != s.y2 || segments_.empty()) return false;
  const TSegment& last = segments_.back();
  return last.x2 == s.x1 && last.y2 == s.y1;
}

void TLineBatch::Add(int x1, int y1, int x2, int y2) {
  const TSegment s{x1, y1, x2, y2};
  // The plain one-pixel pen lights both ends of a line, so a segment of no
  // length at the end of the one before draws nothing new. Coastlines
  // sampled finer than the pixels are mostly such segments (three in five
  // on the window's maps).
  if (!antiAlias_ && width_ < 2.0 && ContinuesWithoutLength(s)) return;
  const bool wasWithin = WithinBudget();
  cost_ += EstimatedLineCost(s, W_, H_, width_, antiAlias_);
  if (!WithinBudget()) {
    if (wasWithin) {
      // From now on only the polylines count: drop what they do not need.
      std::vector<TSegment> kept;
      kept.swap(segments_);
      segments_.reserve(kept.size() / 4);
      for (const TSegment& k : kept)
        if (!ContinuesWithoutLength(k)) segments_.push_back(k);
    }
    if (ContinuesWithoutLength(s)) return;
  }
  try {
    segments_.push_back(s);
  } catch (const std::bad_alloc&) {
    overflowed_ = true;
  }
}

void TLineBatch::Draw(TLineCanvas& canvas, const QColor& colour) const {
  if (!(width_ >= 1.0) || segments_.empty()) return;
  if (WithinBudget()) {
    for (const TSegment& s : segments_)
      DrawLine(s.x1, s.y1, s.x2, s.y2, canvas, colour, width_, antiAlias_);
    return;
  }
  Stroke(canvas.Painter(), colour);
}

void TLineBatch::Stroke(QPainter& painter, const QColor& colour, bool squareDots) const {
  if (!(width_ >= 1.0) || segments_.empty()) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, antiAlias_);
  // The anti-aliased line is a row of round-ended strokes; the plain pen
  // ends square. Bevel joins cost least where a polyline turns sharply.
  painter.setPen(QPen(colour, antiAlias_ ? width_ : std::trunc(width_), Qt::SolidLine,
                      antiAlias_ ? Qt::RoundCap : Qt::SquareCap,
                      antiAlias_ ? Qt::RoundJoin : Qt::BevelJoin));
  painter.setBrush(Qt::NoBrush);
  StrokeAsPolylines(painter, width_ + 2.0, squareDots);
  painter.restore();
}

namespace {

// Points of a polyline for stroking: repeated points dropped, and a point
// left out where the line through its neighbours passes within
// kSimplifyTolerance of it, so that a smooth curve sampled at every pixel
// (or many times per pixel) becomes a few dozen vertices. The joins of a
// wide pen cost far more than its straight runs.
constexpr double kSimplifyTolerance = 0.75;
// At most this many points are tested against one chord, which bounds the
// work per point whatever the line does.
constexpr int kSimplifyRun = 64;

class TPolylineBuilder {
 public:
  TPolylineBuilder(QPainter& painter, bool squareDots)
      : painter_(painter), squareDots_(squareDots) {}
  ~TPolylineBuilder() { Finish(); }

  void MoveTo(double x, double y) {
    Finish();
    points_.push_back(QPointF(x, y));
  }
  void LineTo(double x, double y) {
    if (points_.empty()) {
      points_.push_back(QPointF(x, y));
      return;
    }
    const QPointF p(x, y);
    if (p == points_.back() && points_.size() > 1) return;
    // The last kept point stays only when some point since it lies off the
    // chord from the point before it to p.
    if (points_.size() - anchor_ >= 2 && run_ < kSimplifyRun && OnChord(p)) {
      points_.back() = p;
      ++run_;
    } else {
      anchor_ = points_.size() - 1;
      run_ = 0;
      points_.push_back(p);
      skipped_.clear();
    }
  }
  void Finish() {
    const bool dot = !points_.empty() && points_.back() == points_.front() &&
                     (points_.size() == 1 || (points_.size() == 2));
    if (dot && squareDots_) {
      const QPen pen = painter_.pen();
      const double w = std::max(pen.widthF(), 1.0);
      const QPointF c = points_.front();
      painter_.fillRect(QRectF(c.x() - w / 2, c.y() - w / 2, w, w), pen.color());
    } else if (!points_.empty()) {
      if (points_.size() == 1) points_.push_back(points_.front());  // a dot
      painter_.drawPolyline(points_.data(), static_cast<int>(points_.size()));
    }
    points_.clear();
    skipped_.clear();
    anchor_ = 0;
    run_ = 0;
  }

 private:
  // Whether replacing the last point by p keeps the last point and every
  // point it replaced within the tolerance of the chord anchor -> p.
  bool OnChord(const QPointF& p) {
    const QPointF a = points_[anchor_];
    const double dx = p.x() - a.x(), dy = p.y() - a.y();
    const double len2 = dx * dx + dy * dy;
    // Distance from the chord itself, not from the line through it: a
    // coast that runs up a column and back down it lies on that line, yet
    // far from a chord that ends where it turned. Squared: this runs for
    // every point of a simplified line.
    auto near = [&](const QPointF& q) {
      const double t = len2 == 0.0 ? 0.0 : ((q.x() - a.x()) * dx + (q.y() - a.y()) * dy) / len2;
      const double u = std::clamp(t, 0.0, 1.0);
      const double ex = q.x() - a.x() - u * dx, ey = q.y() - a.y() - u * dy;
      return ex * ex + ey * ey <= kSimplifyTolerance * kSimplifyTolerance;
    };
    if (!near(points_.back())) return false;
    for (const QPointF& q : skipped_)
      if (!near(q)) return false;
    skipped_.push_back(points_.back());
    return true;
  }

  QPainter& painter_;
  bool squareDots_;
  std::vector<QPointF> points_;
  std::vector<QPointF> skipped_;  // points replaced since the anchor
  std::size_t anchor_ = 0;
  int run_ = 0;
};

}  // namespace

void TLineBatch::StrokeAsPolylines(QPainter& painter, double margin, bool squareDots) const {
  const int W = W_, H = H_;
  // A polyline ends where a segment does not start at the end of the one
  // before, or where clipping cuts it.
  TPolylineBuilder line(painter, squareDots);
  bool open = false;           // the polyline has a current point
  double cx = 0.0, cy = 0.0;   // its current point
  int endX = 0, endY = 0;      // end of the previous segment
  bool haveEnd = false;
  for (const TSegment& s : segments_) {
    if (!haveEnd || s.x1 != endX || s.y1 != endY) open = false;
    haveEnd = true;
    endX = s.x2;
    endY = s.y2;
    double ax = s.x1, ay = s.y1, bx = s.x2, by = s.y2;
    if (!ClipSegment(ax, ay, bx, by, -margin, W + margin, H + margin)) {
      open = false;
      continue;
    }
    if (!open || ax != cx || ay != cy) {
      line.MoveTo(ax, ay);
      open = true;
    }
    line.LineTo(bx, by);
    cx = bx;
    cy = by;
  }
}
