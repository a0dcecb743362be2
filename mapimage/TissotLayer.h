// Tissot's indicatrices: at every intersection of the graticule (its range
// and spacing, as the graticule draws them) an ellipse of the true shape
// and orientation of the map's distortion there, outlined in the look's
// ColorTissot with the graticule's line width and anti-aliasing. All are
// drawn at one scale, at which a point of no distortion (the equator of a
// conformal cylinder) gets a circle of a fixed share of the graticule's
// cell, so that they stay readable and their sizes compare: the ellipses of
// an equal-area map all enclose the same area.
#pragma once

#include <vector>

#include "mapimage/MapLayer.h"

// The radius in pixels of the circle drawn for a point without distortion.
double IndicatrixRadius(const TGxProjectionL& p);

// Indicatrices larger than this many times that circle (near a pole of a
// cylinder, far out on a stereographic map) would cover their neighbours
// and tell nothing more; they are left out.
inline constexpr double kMaxIndicatrixScale = 6.0;

// More intersections than this are refused (kMapErrorGridUnusable): the
// ellipses would cover each other many times over.
inline constexpr std::int64_t kMaxIndicatrices = 10000;

class TTissotLayer : public TMapLayer {
 public:
  int Draw(TLayerInput& in, QImage& target, TDrawProgress& progress) override;
  // Skips the intersections the projection refuses; a pole, where all
  // meridians meet, gets one ellipse, and only where the map is regular
  // there.
  bool Trace(TLayerInput& in, const QImage& target, TDrawProgress& progress,
             std::vector<TMapTrace>& out, int& error) override;
};
