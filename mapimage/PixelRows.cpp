#include "mapimage/PixelRows.h"

#include <algorithm>
#include <cstring>

#include "mapimage/Lanes.h"

namespace {

bool HasShape(const QImage& img, int W, int H) {
  return img.width() == W && img.height() == H && img.format() == QImage::Format_BGR888;
}

enum class Outcome { Done, LayerEnds, Stop };

// n steps, reported in pieces so that no report is skipped.
Outcome Count(TDrawProgress& progress, std::int64_t n, const QImage& target, int W, int H) {
  while (n > 0) {
    const std::int64_t k = std::min(n, progress.StepsToReport());
    n -= k;
    switch (progress.Advance(k)) {
      case TDrawProgress::Result::Stop:
        return Outcome::Stop;
      case TDrawProgress::Result::EventsRan:
        // A handler may have replaced the image; the layer then ends
        // rather than write into an image of another shape.
        if (!HasShape(target, W, H)) return Outcome::LayerEnds;
        break;
      case TDrawProgress::Result::Quiet:
        break;
    }
  }
  return Outcome::Done;
}

bool OnOneThread(TLayerInput& in, QImage& target, TDrawProgress& progress, int rowStep,
                 const TSpanPainter& paint) {
  const int W = target.width(), H = target.height();
  target.bits();  // detach here, not on some row inside the loop
  for (int r = 0; r < H; r += rowStep) {
    const int rows = std::min(rowStep, H - r);
    for (int c = 0; c < W;) {
      // A pixel is counted before it is drawn, so a handler sees exactly
      // the pixels before the one that completes its report. The pixels up
      // to that one go as one span.
      const std::int64_t left = progress.StepsToReport();
      const int quiet = static_cast<int>(std::min<std::int64_t>(W - c, (left - 1) / rows));
      if (quiet > 0) {
        if (Count(progress, std::int64_t{quiet} * rows, target, W, H) == Outcome::Stop)
          return false;
        paint(in.p, r, c, c + quiet, target.scanLine(r), target.bytesPerLine());
        c += quiet;
        if (c == W) break;
      }
      switch (Count(progress, rows, target, W, H)) {
        case Outcome::Stop:
          return false;
        case Outcome::LayerEnds:
          return true;
        case Outcome::Done:
          break;
      }
      paint(in.p, r, c, c + 1, target.scanLine(r), target.bytesPerLine());
      ++c;
    }
  }
  return true;
}

// The rows go to whichever thread is free next, this one included; this one
// also makes every progress report, in order, as the drawn rows add up, and
// lets the events run. Where events run, the threads draw into a copy of
// the target, since a handler may replace the target while they work; else
// into the target itself. False: no memory for the copy.
bool InRows(TLayerInput& in, QImage& target, TDrawProgress& progress, int rowStep,
            const TSpanPainter& paint, int threads, bool& stopped) {
  const int W = target.width(), H = target.height();
  const bool aside = progress.RunsEvents();
  QImage canvas;
  if (aside) {
    canvas = target.copy();
    if (canvas.isNull()) return false;
  }
  QImage& drawn = aside ? canvas : target;
  uchar* const bits = drawn.bits();
  const qsizetype stride = drawn.bytesPerLine();
  const int units = (H + rowStep - 1) / rowStep;

  std::int64_t counted = 0;
  bool layerEnds = false;
  auto countUpTo = [&](std::int64_t upTo) {
    while (counted < upTo) {
      const std::int64_t n = std::min(upTo - counted, progress.StepsToReport());
      counted += n;
      switch (progress.Advance(n)) {
        case TDrawProgress::Result::Stop:
          stopped = true;
          return false;
        case TDrawProgress::Result::EventsRan:
          if (!HasShape(target, W, H)) {
            layerEnds = true;
            return false;
          }
          break;
        case TDrawProgress::Result::Quiet:
          break;
      }
    }
    return true;
  };
  auto pixelsOf = [&](int doneUnits) {
    return std::int64_t{std::min(doneUnits * rowStep, H)} * W;
  };
  TLanes lanes(in.p, threads);
  const bool finished = lanes.Run(
      units,
      [&](TGxProjectionL& copy, int u) {
        const int r = u * rowStep;
        paint(copy, r, 0, W, bits + r * stride, stride);
      },
      [&](int done) { return countUpTo(pixelsOf(done)); });
  if (!finished || !countUpTo(std::int64_t{W} * H)) return true;
  (void)layerEnds;

  if (aside) {
    const qsizetype rowBytes = std::min(canvas.bytesPerLine(), target.bytesPerLine());
    for (int y = 0; y < H; ++y) std::memcpy(target.scanLine(y), canvas.constScanLine(y), rowBytes);
  }
  lanes.MergeInto(in.p);
  return true;
}

}  // namespace

bool DrawPixelRows(TLayerInput& in, QImage& target, TDrawProgress& progress, int rowStep,
                   const TSpanPainter& paint) {
  if (target.format() != QImage::Format_BGR888) target = target.convertToFormat(QImage::Format_BGR888);
  const int W = target.width(), H = target.height();
  if (W <= 0 || H <= 0) return true;
  rowStep = std::max(rowStep, 1);

  const int threads =
      !in.threadsAllowed || H <= rowStep ? 1 : LanesFor(in.p, std::int64_t{W} * H);
  if (threads > 1) {
    bool stopped = false;
    if (InRows(in, target, progress, rowStep, paint, threads, stopped)) return !stopped;
  }
  return OnOneThread(in, target, progress, rowStep, paint);
}
