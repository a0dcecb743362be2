// Pixel positions from projected doubles, and the source pixels of the colour
// picture: the nearest one, or the four around a point for a bilinear blend.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "projection/GxProjectionL.h"

// One pixel of a 24-bit row (three bytes) to another, by hand: a copy of a
// count the compiler cannot see is a call to memcpy for every pixel.
inline void CopyBgr(const std::uint8_t* from, std::uint8_t* to) {
  to[0] = from[0];
  to[1] = from[1];
  to[2] = from[2];
}

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

// How far the plain wrap of a longitude or latitude in radians into degrees
// may lie from the fold of Inverse: the fold goes through an arcsine, whose
// rounding next to +-90 degrees reaches 1e-6 degree. Ten times that is the
// margin.
inline constexpr double kFoldSlackDeg = 1e-5;

// The angles (radians) that InverseRowUnfolded leaves as degrees by a plain
// wrap of the longitude by one turn, which lies within kFoldSlackDeg of the
// fold of Inverse; false (lon, lat unset) where the plain wrap does not reach
// [-180, 180] and [-90, 90], or for NaN.
inline bool PlainDegrees(double lambda, double phi, double& lon, double& lat) {
  double l = lambda * gx::kRadToDeg;
  const double f = phi * gx::kRadToDeg;
  if (l > 180.0) l -= 360.0;
  else if (l < -180.0) l += 360.0;
  if (!(std::fabs(l) <= 180.0 && std::fabs(f) <= 90.0)) return false;
  lon = l;
  lat = f;
  return true;
}

// A CW x CH plate carree picture's scales for SourcePixelOfAngles, worked
// out once per pass.
struct TPictureGrid {
  int CW = 0, CH = 0;
  double sx = 0, sy = 0;          // pixels per degree, as SourcePixel takes them
  double clearX = 0, clearY = 0;  // how far from the nearest integer is clear
  TPictureGrid(int cw, int ch)
      : CW(cw), CH(ch), sx(cw / 360.0), sy(ch / 180.0),
        clearX(0.5 - kFoldSlackDeg * sx), clearY(0.5 - kFoldSlackDeg * sy) {}
};

// SourcePixel of the angles (radians) that InverseRowUnfolded leaves, the
// same as of their fold into degrees, but without the fold's two sines and
// two arcsines where it cannot matter: the nearest source pixel is the same
// for every position within the slack of the plainly wrapped angles unless
// one of them lies that close to a border between two source pixels. Only
// those rare positions, and angles beyond the plain wrap's range, take the
// fold and SourcePixel itself. Within [-180, 180] and [-90, 90] SourcePixel's
// remainders change nothing but the column CW, which is column 0.
//
// ClearSourcePixel is its first half: for angles known to within the slack,
// true when no border lies that close, with `inside` whether the pixel lies
// in the picture; false where only the exact angles can tell.
inline bool ClearSourcePixel(const TPictureGrid& g, double lambda, double phi, int& px, int& py,
                             bool& inside) {
  double lon, lat;
  if (g.CW > 0 && g.CH > 0 && PlainDegrees(lambda, phi, lon, lat)) {
    const double u = lon * g.sx, w = lat * g.sy;
    const double nu = std::floor(u + 0.5), nw = std::floor(w + 0.5);
    if (std::fabs(u - nu) < g.clearX && std::fabs(w - nw) < g.clearY) {
      int x = static_cast<int>(nu) + g.CW / 2;
      if (x >= g.CW) x -= g.CW;
      int row = g.CH / 2 - static_cast<int>(nw);
      if (row == g.CH) row = g.CH - 1;
      px = x;
      py = row;
      inside = x >= 0 && x < g.CW && row >= 0 && row < g.CH;
      return true;
    }
  }
  return false;
}

inline bool SourcePixelOfAngles(const TPictureGrid& g, double lambda, double phi, int& px,
                                int& py) {
  bool inside;
  if (ClearSourcePixel(g, lambda, phi, px, py, inside)) return inside;
  double lonExact, latExact;
  TGxProjectionL::FoldedDegrees(lambda, phi, lonExact, latExact);
  return SourcePixel(lonExact, latExact, g.CW, g.CH, px, py);
}

// The four source pixels around a longitude and latitude (degrees) of a CW x
// CH plate carrée picture, and the weights of the right column and the lower
// row. Here each pixel is the sample at its centre: column i covers the
// longitudes from -180 + i * 360 / CW eastward, so its centre lies half a
// pixel east of that. The picture wraps around east to west (column CW - 1
// meets column 0 at 180 degrees); north and south of the first and last rows'
// centres the edge row is taken as it is.
struct TBilinearTaps {
  int x0, x1, y0, y1;  // x1 = x0 + 1 wrapped, y1 = y0 + 1 held at the bottom row
  double fx, fy;       // 0 .. 1: share of x1 and of y1
};

// False for a position that is not on the Earth (not finite, latitude beyond
// +-90, longitude beyond +-360) or an empty picture.
inline bool BilinearTapsOf(double lonDeg, double latDeg, int CW, int CH, TBilinearTaps& t) {
  if (CW <= 0 || CH <= 0) return false;
  if (!(std::fabs(latDeg) <= 90.0) || !(std::fabs(lonDeg) <= 360.0)) return false;  // NaN too
  const double x = (lonDeg + 180.0) * (CW / 360.0) - 0.5;
  const double y = (90.0 - latDeg) * (CH / 180.0) - 0.5;
  const double fx = std::floor(x), fy = std::floor(y);
  // |x| stays below 2 * CW + 1 and |y| below CH + 1: the conversions are safe.
  int x0 = static_cast<int>(fx) % CW;
  if (x0 < 0) x0 += CW;
  t.x0 = x0;
  t.x1 = x0 + 1 == CW ? 0 : x0 + 1;
  t.fx = x - fx;
  if (y < 0) {
    t.y0 = t.y1 = 0;
    t.fy = 0;
  } else if (y >= CH - 1) {
    t.y0 = t.y1 = CH - 1;
    t.fy = 0;
  } else {
    t.y0 = static_cast<int>(fy);
    t.y1 = t.y0 + 1;
    t.fy = y - fy;
  }
  return true;
}

// One channel of the bilinear blend of four neighbours, rounded to the
// nearest value (halves up).
inline unsigned char BlendChannel(unsigned char a00, unsigned char a10, unsigned char a01,
                                  unsigned char a11, double fx, double fy) {
  const double top = a00 + (a10 - a00) * fx;
  const double bottom = a01 + (a11 - a01) * fx;
  const double v = top + (bottom - top) * fy;
  return static_cast<unsigned char>(std::clamp(v + 0.5, 0.0, 255.0));
}
