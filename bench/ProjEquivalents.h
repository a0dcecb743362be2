// The PROJ operation that computes the same projection as one of our kinds,
// with the parameters that our set-up gives it, and a check that the two
// really draw the same map.
#pragma once

#include <optional>
#include <string>

#include "projection/GxProjectionL.h"

namespace bench {

struct ProjEquivalent {
  std::string definition;  // "+proj=... ", radians in, plane units out
  double unit = 1;         // plane units per unit of our unit-radius plane (a for the ellipsoid)
  const char* note = "";   // why the match is not exact, where it is not
  // The shape check compares points within this many degrees of the central
  // meridian: the series of the ellipsoidal transverse kinds lose their
  // accuracy far from it, differently in each implementation, while the cost
  // per point does not depend on it.
  double checkSpan = 180;
};

// None for the kinds that PROJ does not have (interrupted Mollweide, Urmaev V
// in our form) and for the grid kinds.
std::optional<ProjEquivalent> ProjEquivalentOf(const TGxProjectionL& p);

// Our forward against PROJ's on a sample of the globe points, in the unit
// plane. PROJ places some kinds with other axis scales (the cylindrical
// equal-area family has no cos(phi_s) on x here), which changes nothing in
// the cost, so a least-squares scale per axis is taken out first.
struct ShapeCheck {
  int compared = 0;       // points that both accept
  int onlyOurs = 0;       // points that only we draw
  int onlyProj = 0;       // points that only PROJ draws
  double scaleX = 1, scaleY = 1;  // ours = scale * PROJ's
  double residual = 0;    // largest difference after the scales, unit plane
  double worstLon = 0, worstLat = 0;  // degrees, where it occurs
  double radius = 1;      // our map's Radius, pixels
  // Within half a pixel on the window's map: the same map, so the cost
  // comparison is of like with like.
  bool Alike() const { return compared > 0 && residual * radius <= 0.5; }
};
ShapeCheck CheckShape(TGxProjectionL& p, const ProjEquivalent& eq);

// "same", "same to 0.16 px, axes x1.414 y1", or "DIFFERS by 10 px at (170,
// 45)" for the tables.
std::string DescribeShape(const ShapeCheck& c);

}  // namespace bench
