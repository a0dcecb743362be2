// weltnetz-proj --distortion: Tissot's indicatrix at each input point.
#pragma once

#include "projection/Distortion.h"

class DistortionPrinter {
 public:
  // For the component as set up; p itself serves the inverse of map points.
  explicit DistortionPrinter(TGxProjectionL& p) : p_(p), probe_(p) {}

  // Prints "a b area angle" (scales in units of Radius, the angle in
  // degrees) for the point, or "* * * *" where it has no value. A point is a
  // longitude and latitude in degrees, or with `pixel` a map position, which
  // the component's Inverse turns into one first.
  void Print(double first, double second, bool pixel);

 private:
  TGxProjectionL& p_;
  TDistortionProbe probe_;
};
