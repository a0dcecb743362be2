// One straight segment between two integer pixel positions, drawn into a
// 24-bit bitmap (QImage::Format_BGR888) either with QPainter's pen (plain) or
// with the control's own anti-aliased column rasteriser.
#pragma once

#include <QColor>
#include <QImage>
#include <QLine>

#include <cstdint>
#include <memory>

class QPainter;

// A bitmap being drawn on. Plain lines need a painter; one painter kept open
// for a whole pass is far cheaper than one per segment. Anti-aliased lines
// write the pixels directly.
//
// Plain one-pixel lines are queued and handed to the painter in batches:
// QPainter draws each of them exactly as it draws a single line, but the
// cost of a call per segment was most of a coastline pass. The queued lines
// reach the bitmap at Flush, which Painter, End, an anti-aliased line and
// the end of the canvas do first.
class TLineCanvas {
 public:
  explicit TLineCanvas(QImage& bitmap);
  ~TLineCanvas();
  TLineCanvas(const TLineCanvas&) = delete;
  TLineCanvas& operator=(const TLineCanvas&) = delete;

  // For its size; its pixels may lack the queued lines.
  QImage& Bitmap() { return bitmap_; }
  // Opened on first use; ends with the canvas or with End. Whoever takes the
  // painter here may change its pen and hints.
  QPainter& Painter();
  // Draws a plain line (ends already within the painter's safe range): no
  // antialiasing, a solid pen of the colour and width. Pen and hint are set
  // only when they differ from what this canvas set last.
  void PlainLine(const QPoint& from, const QPoint& to, const QColor& colour, int penWidth);
  void Flush();
  void End();

 private:
  QPainter& PlainPainter(const QColor& colour, int penWidth);

  QImage& bitmap_;
  std::unique_ptr<QPainter> painter_;
  bool plainSet_ = false;  // the painter holds the plain pen below
  QColor plainColour_;
  int plainWidth_ = 0;
  static constexpr int kBatch = 256;
  QLine pending_[kBatch];  // drawn with the plain pen above
  int pendingCount_ = 0;
};

// Draws (x1, y1)-(x2, y2). Nothing for width < 1 (or NaN) and nothing for a
// segment whose two ends lie beyond the same edge of the bitmap. Plain mode:
// pen width trunc(width), solid, no antialiasing. Anti-aliased mode: every
// pixel near the segment is blended by its distance from it. Only pixels
// inside the bitmap are written, however far off the ends lie.
void DrawLine(int x1, int y1, int x2, int y2, TLineCanvas& canvas, const QColor& colour,
              double width, bool antiAlias);
void DrawLine(int x1, int y1, int x2, int y2, QImage& bitmap, const QColor& colour, double width,
              bool antiAlias);

// Distance of (px, py) from the segment: perpendicular inside the lens where
// both ends are no farther than the segment's length, otherwise the distance
// to an end within w, otherwise 2w (far away).
double SegmentDistance(double px, double py, double x1, double y1, double x2, double y2, double w);

// Coverage of a pixel whose doubled distance is d, for working width w:
// 255 well inside, a sin^2 fall-off over the edge, 0 beyond.
std::uint8_t EdgeAlpha(double d, double w);

// Blends one pixel towards (red, green, blue) by alpha/255, rounded to the
// nearest; alpha 0 leaves the pixel as it was, 255 gives the line colour.
// Pixels outside the bitmap are skipped.
void BlendPixel(QImage& bitmap, int x, int y, std::uint8_t red, std::uint8_t green,
                std::uint8_t blue, std::uint8_t alpha);

// Liang-Barsky clip of (x1,y1)-(x2,y2) to [lo, hiX] x [lo, hiY]; false when
// nothing is left. Keeps far-off coordinates out of QPainter's fixed point.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double lo, double hiX,
                 double hiY);

// True when both ends lie beyond the same edge (left of 0, right of W, above 0
// or below H): such a segment cannot touch a W x H bitmap.
inline bool LineOutside(int x1, int x2, int y1, int y2, int W, int H) {
  return (x1 < 0 && x2 < 0) || (x1 > W && x2 > W) || (y1 < 0 && y2 < 0) || (y1 > H && y2 > H);
}
