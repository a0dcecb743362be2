// The colour pass's work for a span of a map drawn from a plate carree
// picture sampled at its nearest pixel: which source pixel each pixel of the
// span shows. Plain C++ (no Qt), so that the engine's benchmark measures the
// very routine the map control runs.
#pragma once

#include <algorithm>

#include "mapimage/PixelMath.h"
#include "projection/GxProjectionL.h"

// Whether the pass may take the right half of p's rows from the left
// (MirrorPixels). Not for the kinds that solve for their latitudes: each
// pixel leaves its own in IterLat, which the span's last writer must leave
// as it stands (and the picture's rows spare them most of their solving
// anyway).
inline bool PictureMirror(TGxProjectionL& p) { return !p.InverseSolves(); }

// Calls shown(k, px, py) for each pixel k of the n pixels (c + k * step, r)
// that the map shows, with its source pixel in g; lon, lat and code hold n
// values of scratch. The pixels go through the row inverse in order, and
// the component's fields end as n calls of Inverse leave them.
//
// Where `mirror` allows and the map is its own mirror image (MirrorPixels),
// the pixels past the axis whose image lies in the span take the
// image's angles, the longitude reflected about the central meridian, so
// that half the span costs an inverse. The reflection is right to a few
// units of rounding, far within the slack that ClearSourcePixel allows; a
// pixel whose source pixel that slack cannot tell has its own inverse, as
// has the span's last pixel, so that the component's fields end as the
// span's own calls would leave them.
template <class Shown>
void NearestSourcePixels(TGxProjectionL& p, const TPictureGrid& g, bool mirror, int r, int c,
                         int step, int n, double* lon, double* lat, int* code, Shown shown) {
  // Pixels from .. to - 1 through the row inverse; false when it went pixel
  // by pixel through Inverse, leaving degrees.
  const auto own = [&](int from, int to) {
    if (!p.InverseRowUnfolded(r, c + from * step, to - from, lon + from, lat + from, code + from,
                              step)) {
      for (int k = from; k < to; ++k) {
        int px, py;
        if (code[k] == 0 && SourcePixel(lon[k], lat[k], g.CW, g.CH, px, py)) shown(k, px, py);
      }
      return false;
    }
    for (int k = from; k < to; ++k) {
      int px, py;
      if (code[k] == 0 && SourcePixelOfAngles(g, lon[k], lat[k], px, py)) shown(k, px, py);
    }
    return true;
  };
  // Pixel k's image is pixel images - k; the span's last pixel is its own.
  double m = 0;
  const bool mirrored = mirror && p.MirrorPixels(c, step, m) && m >= 2 && m <= 2.0 * n;
  const int images = mirrored ? static_cast<int>(m) : 0, split = images / 2 + 1;
  const int end = std::min(images + 1, n - 1);
  if (!mirrored || split >= end || !p.CanDrawInBatches()) return (void)own(0, n);
  if (!own(0, split)) return (void)own(split, n);
  const double twice = 2 * p.Theta;
  for (int k = split; k < end; ++k) {
    const int j = images - k;
    int px, py;
    bool inside = false;
    if (code[j] != 0) continue;
    if (ClearSourcePixel(g, twice - lon[j], lat[j], px, py, inside)) {
      if (inside) shown(k, px, py);
    } else if (!own(k, k + 1)) {
      return (void)own(k + 1, n);
    }
  }
  own(end, n);
}
