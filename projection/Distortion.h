// Local distortion of a map at a point of the Earth: Tissot's indicatrix,
// the image on the map of an infinitesimal circle on the globe, worked out
// from the projection's own Forward. Whatever the kind, its parameters and
// its tilt, the values come from the very mapping that draws the map.
//
// Units: lengths are scales, in units of the nominal scale `Radius` (1 where
// the map keeps the globe's scale); angles are radians. The globe is the
// sphere of radius `Radius`, or, for the kinds that project an ellipsoid
// (they leave its axis ratio in AxisRatio), that ellipsoid with the
// semi-major axis `Radius`: the ellipsoidal Mercator is conformal on its
// ellipsoid, and that is where its distortion is measured.
//
// Plain C++; no allocation per point, no exceptions.
#pragma once

#include <limits>

#include "projection/GxProjectionL.h"

// Tissot's quantities at one point.
struct TDistortion {
  double A = 0;     // largest scale (semi-major axis of the indicatrix)
  double B = 0;     // smallest scale, B <= A
  double Area = 0;  // areal scale A*B
  // Where a unit step east and a unit step north on the globe go on the map
  // plane, in units of Radius with u to the right and v up. The indicatrix
  // on the map is u = EastU*cos t + NorthU*sin t, v = EastV*cos t + NorthV*sin t.
  double EastU = 0, EastV = 0, NorthU = 0, NorthV = 0;
  // The point on the map, pixels (y downward).
  double X = 0, Y = 0;

  // The largest change of an angle, radians: 2*asin((A - B)/(A + B)).
  double Angle() const;
  // The direction of A on the globe, radians clockwise from north, [0, pi);
  // 0 where A = B.
  double Azimuth() const;
};

// Evaluates the indicatrix through a private copy of a component: its
// handlers and converter are cleared on the copy, so no event fires and the
// component itself is never touched. Make one per thread and reuse it for
// many points; its copy keeps the parameters it was made with.
//
// The derivatives are central differences of Forward with a step of 1e-5
// rad. Where a side is refused (a horizon, a pole) or lies across a cut (the
// map's edge, an interruption), the other side gives a one-sided
// difference; where both sides are refused, steps of 1e-4 and 1e-3 rad are
// tried (a refused band around a centre). A point within 1e-3 rad of a
// pole is taken at that distance from it: at the pole the east direction
// ends, and the values are those just beside it.
class TDistortionProbe {
 public:
  explicit TDistortionProbe(const TGxProjectionL& p);

  // At a longitude and latitude in degrees. False (no value) when Forward
  // refuses the point, when both sides of a derivative are refused at every
  // step, for NaN or infinite input, a latitude beyond +-90, a grid kind or a
  // kind without routines, or a map whose scale is not a positive number.
  bool At(double lonDeg, double latDeg, TDistortion& d);

  // The same for a point whose position on the map is already known (x, y
  // in pixels, as a pixel loop has it from Inverse): the position is taken
  // as a hint for the cut test, which saves the Forward of the point itself
  // wherever the map is smooth around it. The point is taken to be on the
  // map; only where the hint proves wrong, and at a pole, does Forward
  // decide.
  bool At(double lonDeg, double latDeg, double x, double y, TDistortion& d);

  // The same from the derivatives of the inverse, as a pixel loop can take
  // them from the inverses of a pixel's neighbours: the longitude's and the
  // latitude's change per pixel rightward (lonX, latX) and downward (lonY,
  // latY), in radians, at the point (lonDeg, latDeg) of pixel (x, y). The
  // forward's derivatives are their inverse matrix. False for a singular
  // matrix or a point without a value (a pole, a latitude beyond +-90).
  bool FromInverseSlopes(double lonDeg, double latDeg, double x, double y, double lonX,
                         double lonY, double latX, double latY, TDistortion& d);

 private:
  struct Point;
  struct Sample;

  bool Evaluate(Point& c, TDistortion& d);
  // Tissot's quantities from the forward's derivatives (pixels per radian)
  // at latitude latDeg, on the globe of the kind.
  bool FromSlopes(double latDeg, double lonX, double lonY, double latX, double latY, double x,
                  double y, TDistortion& d);
  // The axis ratio of the kind's ellipsoid (NaN: the sphere), learned from
  // one Forward of the copy.
  double Ratio(double lonDeg, double latDeg);
  bool Project(double lonDeg, double latDeg, double& x, double& y);
  bool Locate(Point& c);
  bool LeavePole(Point& c);
  Sample Beside(const Point& c, int axis, double offsetDeg);
  bool Slope(Point& c, int axis, double& dx, double& dy);
  void OneSided(Point& c, int axis, const Sample& near, double& dx, double& dy);

  TGxProjectionL q_;
  bool usable_;
  bool ratioKnown_ = false;
  double ratio_ = 0;
  // The last latitude's cosine and sine: a map's neighbouring pixels often
  // share their latitude (every row of a cylindrical map does).
  double trigLat_ = std::numeric_limits<double>::quiet_NaN(), cosLat_ = 1, sinLat_ = 0;
};
