// Pieces shared by the two source files of the pseudocylindrical kinds
// (pseudocylindrical.cpp: sinusoidal, Mollweide, Eckert and their families;
// pseudocylindrical2.cpp: McBryde-Thomas, Wagner I-III, Urmaev and the rest).
#pragma once

#include <cmath>
#include <cstddef>
#include <span>

#include "projection/Families.h"

namespace gx::pseudo {

// A latitude beyond a pole is folded back over it (100 deg is taken as 80 deg),
// the way Inverse folds the latitudes it reports. Several kinds iterate on an
// equation that has no usable root out there (the Eckert VI step divides by
// zero at 180 deg), so no forward routine of these kinds sees such a latitude.
inline void FoldLatitude(TGxProjectionL& p) {
  if (std::fabs(p.Y) > kHalfPi) p.Y = std::asin(std::sin(p.Y));
}

// True when v lies outside [lo, hi]. A NaN counts as outside, so that no
// undefined intermediate is ever reported as a point of the map.
inline bool OutOfRange(double v, double lo, double hi) { return !(v >= lo && v <= hi); }

// The frame of the plain kinds: not-ready test, latitude fold and centring
// before the unit-sphere formulas, scaling after them. BeginForward and
// BeginInverse return false when the routine must stop (code already set).
inline bool BeginForward(TGxProjectionL& p, int notReadyCode) {
  if (p.NotReady(notReadyCode)) return false;
  FoldLatitude(p);
  p.CentreLongitude();
  return true;
}
inline void EndForward(TGxProjectionL& p) {
  p.ToPixels();
  p.SetError(0);
}
inline bool BeginInverse(TGxProjectionL& p, int notReadyCode) {
  if (p.NotReady(notReadyCode)) return false;
  p.FromPixels();
  return true;
}

// The kinds whose routines live in pseudocylindrical2.cpp; the family's one
// table (PseudocylindricalRoutines) joins them to the others.
inline constexpr std::size_t kSecondFileKindCount = 17;
std::span<const KindRoutines> SecondFileRoutines();

}  // namespace gx::pseudo
