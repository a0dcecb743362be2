// The pixel loop of the layers that are pictures (the colour layer and its
// kin): rows of the map shared among threads, progress counted per pixel.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "mapimage/MapLayer.h"
#include "mapimage/PixelMath.h"

// Paints columns [c0, c1) of the rows r .. r + rowStep - 1 (those that exist)
// into the target whose row r starts at `row` (the next rows follow at
// `stride` bytes), through the component p (the layer's own or a thread's
// copy of it).
using TSpanPainter =
    std::function<void(TGxProjectionL& p, int r, int c0, int c1, uchar* row, qsizetype stride)>;

// Paints every row of target (24-bit), top to bottom, rowStep rows at a time
// (1, or 2 for a preview that fills two rows from one), counting one progress
// step per pixel covered.
//
// With handlers on the component, a converter, or few pixels, everything runs
// on this thread through the component itself, and progress is reported at
// exactly every so many pixels: a handler sees the image and the component as
// they are then, and may replace the target image (the layer then stops: it
// never writes into an image of another shape). Otherwise the rows go to
// several threads, each with its own copy of the component, into a copy of
// the image that replaces the target's pixels once every row is done; the
// component then holds the fields one thread doing every row in order would
// have left. Returns false when progress said stop.
bool DrawPixelRows(TLayerInput& in, QImage& target, TDrawProgress& progress, int rowStep,
                   const TSpanPainter& paint);

// The loop of a picture layer that gives each pixel a colour of its own.
// `spanColours(p)` makes, for one span of a row drawn through p (the layer's
// component or a thread's copy of it), the function
// colours(r, c, step, n, bgr, painted) that colours the n pixels
// (c + k*step, r), k = 0 .. n-1, in that order: painted[k] says whether
// pixel k takes the three bytes bgr[3k .. 3k+2] (blue, green, red) or keeps
// what it held. A preview colours the even columns of the even rows
// (step 2) and fills each 2 x 2 block with the colour.
template <class SpanColours>
bool DrawPixelColours(TLayerInput& in, QImage& target, TDrawProgress& progress,
                      SpanColours spanColours) {
  const int W = target.width(), H = target.height();
  const int step = in.look.Preview ? 2 : 1;
  return DrawPixelRows(
      in, target, progress, step,
      [&](TGxProjectionL& p, int r, int c0, int c1, uchar* row, qsizetype stride) {
        // A preview samples the even columns; a span that starts on an odd
        // one (after a report) begins at the next.
        const int first = c0 + (c0 % step);
        if (first >= c1) return;
        const int n = (c1 - first + step - 1) / step;
        std::vector<std::uint8_t> bgr(3 * static_cast<std::size_t>(n));
        std::vector<char> painted(static_cast<std::size_t>(n));
        spanColours(p)(r, first, step, n, bgr.data(), painted.data());
        const int below = std::min(step, H - r);
        for (int k = 0; k < n; ++k) {
          if (!painted[k]) continue;
          const int c = first + k * step, fill = std::min(step, W - c);
          for (int dy = 0; dy < below; ++dy)
            for (int dx = 0; dx < fill; ++dx)
              CopyBgr(bgr.data() + 3 * k, row + dy * stride + 3 * (c + dx));
        }
      });
}
