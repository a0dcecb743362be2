// The segments of one line layer (graticule or coastlines), collected in
// drawing order and drawn together, so that the cost of a whole layer is
// known before any of it is drawn.
#pragma once

#include <QColor>
#include <QImage>

#include <cstdint>
#include <vector>

class QPainter;
class TLineCanvas;

// One segment between two integer pixel positions, as DrawLine takes it.
struct TSegment {
  int x1, y1, x2, y2;
};

// What a layer may spend on drawing its segments one by one, in the units of
// EstimatedLineCost (about a nanosecond each on the machines we build on).
// Every setting the window offers stays well within it: the window's
// graticule, anti-aliased with labels, costs about 4 million. A layer beyond
// it (a very fine sampling step, a very wide line, thousands of segments
// piled on one spot of a small map) would have taken seconds to minutes,
// since every segment of the anti-aliased line costs about the square of its
// width; it is drawn as whole polylines by QPainter instead, which covers
// each pixel of a polyline once whatever the number of its vertices.
inline constexpr double kLineLayerBudget = 1.0e8;

// Rough cost of drawing one segment one by one into a W x H bitmap, zero for
// what DrawLine drops at once. Anti-aliased: about 20 units per visited
// pixel of the band; plain: a call plus about one unit per covered pixel.
double EstimatedLineCost(const TSegment& s, int W, int H, double width, bool antiAlias);

class TLineBatch {
 public:
  // For a W x H bitmap and the line's width and mode, which decide the cost.
  TLineBatch(int W, int H, double width, bool antiAlias);

  // Room for n segments, when there is memory for it (an upper bound spares
  // the copies of a growing buffer).
  void Reserve(std::int64_t n);
  // Adds the segment from (x1, y1) to (x2, y2); polylines are added in
  // order, each segment starting where the one before ended. A segment of
  // no length where the one before ended is left out when it could light
  // nothing new (the plain one-pixel pen). Once the estimated cost is
  // beyond kLineLayerBudget the batch keeps only what its polylines need
  // (no repeated points). Without memory the segment is lost and
  // Overflowed() tells.
  void Add(int x1, int y1, int x2, int y2);
  bool Overflowed() const { return overflowed_; }
  // True while the segments will be drawn one by one.
  bool WithinBudget() const { return cost_ <= kLineLayerBudget; }
  double EstimatedCost() const { return cost_; }
  double Width() const { return width_; }
  bool AntiAlias() const { return antiAlias_; }
  const std::vector<TSegment>& Segments() const { return segments_; }

  // Draws every segment: one by one with DrawLine, exactly as a pass that
  // drew each segment as it went, while within the budget; otherwise as
  // polylines (consecutive segments that share an end joined, repeated
  // points dropped) stroked once each by QPainter, anti-aliased when the
  // mode is. Nothing for width < 1 or NaN.
  void Draw(TLineCanvas& canvas, const QColor& colour) const;

  // The polylines stroked once each with the pen of the line's width and
  // mode, on any painter (the bitmap beyond the budget, or a vector file);
  // the painter's pen and hints are as before afterwards. Nothing for
  // width < 1 or NaN. squareDots: see StrokeAsPolylines.
  void Stroke(QPainter& painter, const QColor& colour, bool squareDots = false) const;

  // The polyline form on its own: for drawing on any painter (also a vector
  // device), pen and hints as the caller set them. Coordinates are clipped
  // to the W x H bitmap plus a margin, within QPainter's safe range. A
  // polyline of no length (an island smaller than a pixel) is a dot: a line
  // of no length for the raster painter, which lights its pixel; with
  // squareDots a filled square of the pen's width, since the renderers of
  // vector files draw nothing for a line of no length.
  void StrokeAsPolylines(QPainter& painter, double margin, bool squareDots = false) const;

 private:
  bool ContinuesWithoutLength(const TSegment& s) const;

  int W_, H_;
  double width_;
  bool antiAlias_;
  double cost_ = 0.0;
  std::vector<TSegment> segments_;
  bool overflowed_ = false;
};
