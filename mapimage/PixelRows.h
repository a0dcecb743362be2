// The pixel loop of the layers that are pictures (the colour layer and its
// kin): rows of the map shared among threads, progress counted per pixel.
#pragma once

#include <functional>

#include "mapimage/MapLayer.h"

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
