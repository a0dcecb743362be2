// Pixel positions from projected doubles, and the nearest source pixel of the
// colour picture.
#pragma once

#include <cmath>

// Projected points far off the map saturate here: far enough that every
// distance test treats them as off the map, small enough that sums and
// differences of two of them stay inside int.
inline constexpr int kFarPixel = 1 << 28;

// v to the nearest integer, ties to the even integer (the default rounding
// mode). NaN and values beyond +-kFarPixel saturate instead of reaching a
// conversion that would be undefined.
inline int RoundPixel(double v) {
  if (!(v > -kFarPixel)) return -kFarPixel;  // NaN lands here too
  if (!(v < kFarPixel)) return kFarPixel;
  return static_cast<int>(std::nearbyint(v));
}

// The source pixel (px, py) of a CW x CH plate carrée picture for a longitude
// and latitude in degrees: nearest pixel, ties to even, wrapped by a
// remainder that keeps the sign of its left operand, except that latitudes
// within half a row of the south pole take the bottom row. False when the
// result lies outside the picture (only for longitudes below -180 or
// latitudes above 90) or the picture is empty.
inline bool SourcePixel(double lonDeg, double latDeg, int CW, int CH, int& px, int& py) {
  if (CW <= 0 || CH <= 0) return false;
  const double sx = CW / 360.0;
  const double sy = CH / 180.0;
  px = (RoundPixel(lonDeg * sx) + CW / 2) % CW;
  int row = CH / 2 - RoundPixel(latDeg * sy);
  // The last half row before the south pole would wrap to row 0 and paint
  // the Antarctic with the Arctic's colours; it takes the bottom row.
  if (row == CH) row = CH - 1;
  py = row % CH;
  return px >= 0 && px < CW && py >= 0 && py < CH;
}
