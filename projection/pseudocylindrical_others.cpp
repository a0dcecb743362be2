// Pseudocylindricals that belong to no family: Nell, Foucaut's sinusoidal
// blend, Fahey, the loximuthal and Collignon's triangles.
//
// Each forward works after the frame's latitude fold and longitude wrap;
// each inverse finds the latitude from the row alone. Codes: F not ready
// (forward), F + 1 not ready (inverse), then each kind's own failures.
#include <cmath>

#include "projection/Kernel.h"

namespace gx {
namespace {


// ---- Nell ------------------------------------------------------------------------
// 631, 632 not ready; 633, 634 range.

constexpr int kNell = 631;

Out NellForward(const Prepared& k, double lambda, double phi) {
  const double c = 2 * std::sin(phi);
  double t = phi * (1.00371 + phi * phi * (-0.0935382 + phi * phi * (-0.011412)));
  for (int pass = 0; pass < 11; ++pass) {
    const double V = (std::sin(t) + t - c) / (std::cos(t) + 1);
    t -= V;
    if (std::fabs(V) < 1e-9) break;
  }
  return k.ToPixels((1 + std::cos(t)) * (lambda - k.theta) / 2, t);
}

void NellRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const double v = k.UnitY(y);
  const double across = 1 + std::cos(v);
  const double phi = SafeArcSin((v + std::sin(v)) / 2);
  ForEachPixel(x0, first, count, out,
               [&](double x) { return k.Finish(kNell + 1, 0, 2 * k.UnitX(x) / across, phi); });
}

// ---- Foucaut sinusoidal -------------------------------------------------------------
// Other is the blend n. 571, 572 not ready; 573, 574 range; 575 n refused.

constexpr int kFoucautS = 571;

Out FoucautSinusoidalForward(const Prepared& k, double lambda, double phi) {
  const double n = k.other;
  const double cp = std::cos(phi);
  return k.ToPixels((lambda - k.theta) * cp / (n + (1 - n) * cp), n * phi + (1 - n) * std::sin(phi));
}

// Solves n phi + (1 - n) sin phi = y for n in (0, 2], n != 1. The left side
// rises on [-pi/2, pi/2] for every such n; on [0, pi/2] it is concave for
// n < 1 and convex for n > 1, so Newton's method started at 0 (n < 1) or at the
// pole (n > 1) approaches the root from one side and never leaves the interval
// nor meets a zero slope. A y at or beyond the pole's value gives the pole,
// which Finish then refuses. 50 passes: for small n the steps near the
// pole only halve at first, as for an arcsine.
double FoucautLatitude(double n, double y) {
  const double pole = n * kHalfPi + (1 - n);
  const double ay = std::fabs(y);
  if (!(ay < pole)) return std::copysign(kHalfPi, y);
  double phi = n < 1 ? 0.0 : kHalfPi;
  for (int pass = 0; pass < 50; ++pass) {
    const double step = (n * phi + (1 - n) * std::sin(phi) - ay) / (n + (1 - n) * std::cos(phi));
    phi -= step;
    if (std::fabs(step) < 1e-12) break;
  }
  return std::copysign(phi, y);
}

// n = 1 is the sinusoidal (the latitude is y itself) and n = 0 has the
// closed form arcsin y; every other accepted n is solved for, so that the
// inverse undoes the forward whatever blend the user sets. n outside 0 to 2
// (or NaN) is refused with 575; the arcsine then only fills the pair.
void FoucautSinusoidalRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const double n = k.other;
  const bool accepted = n >= 0 && n <= 2;
  const int status = accepted ? 0 : 3;
  double phi = k.UnitY(y);
  if (n == 1) {
    // the unit y is the latitude
  } else if (accepted && n != 0) {
    phi = FoucautLatitude(n, phi);
  } else {
    phi = SafeArcSin(phi);
  }
  const double cp = std::cos(phi);
  const double across = (1 - n) * cp + n;
  ForEachPixel(x0, first, count, out, [&](double x) {
    return k.Finish(kFoucautS + 1, status, k.UnitX(x) * across / cp, phi);
  });
}

// ---- Fahey -----------------------------------------------------------------------
// 561, 562 not ready; 563 longitude, 564 latitude, 565 at the pole. A failure
// leaves the unit x and w = 1 - t^2 in the pair.

constexpr int kFahey = 561;
constexpr double kFaheyCy = 1.819152;
constexpr double kFaheyCx = 0.819152;

Out FaheyForward(const Prepared& k, double lambda, double phi) {
  const double t = std::tan(phi / 2);
  return k.ToPixels(kFaheyCx * (lambda - k.theta) * SafeSqrt(1 - t * t), kFaheyCy * t);
}

void FaheyRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const double t = k.UnitY(y) / kFaheyCy;
  const double phi = 2 * std::atan(t);
  const double w = 1 - t * t;
  const bool atPole = w < 1e-9;
  const double across = atPole ? 0 : kFaheyCx * std::sqrt(w);
  const bool latitudeOut = phi > kHalfPi || phi < -kHalfPi;
  ForEachPixel(x0, first, count, out, [&](double x) {
    const double u = k.UnitX(x);
    int status = atPole ? 3 : 0;
    const double lambda = atPole ? 0 : u / across;
    if (lambda > kPi || lambda < -kPi) status = 1;
    if (latitudeOut) status = 2;
    if (status != 0) return Result(u, w, kFahey + 1 + status);
    return Result(lambda + k.theta, phi);
  });
}

// ---- Loximuthal ------------------------------------------------------------------
// Phi0 is the central latitude. 611, 612 not ready; 613, 614 range.

constexpr int kLoximuthal = 611;

struct LoximuthalConstants {
  double t1;     // tan(phi1/2 + pi/4)
  double cphi1;  // cos(phi1)
};

void PrepareLoximuthal(Prepared& k) {
  k.SetFamily(LoximuthalConstants{std::tan(k.phi0 / 2 + kPi / 4), std::cos(k.phi0)});
}

bool NoLogarithm(double q) {
  return std::fabs(q) < 1e-9 || std::fabs(std::fabs(q) - kHalfPi) < 1e-9;
}

// A ratio of tangents that is not a positive number (Phi0 beyond a pole)
// has no logarithm: the point goes to the central meridian, as the inverse
// has always done in that case.
Out LoximuthalForward(const Prepared& k, double lambda, double phi) {
  const LoximuthalConstants& c = k.Family<LoximuthalConstants>();
  const double dy = phi - k.phi0;
  double u = lambda - k.theta;
  if (std::fabs(dy) < 1e-9) {
    u = u * c.cphi1;
  } else {
    const double q = phi / 2 + kPi / 4;
    const double ratio = std::tan(q) / c.t1;
    if (NoLogarithm(q) || !(ratio > 0))
      u = 0;
    else
      u = u * dy / std::log(ratio);
  }
  return k.ToPixels(u, dy);
}

// With Phi0 at the south pole the tangent ratio is infinite and the forward
// puts every point on the central meridian; x = 0 then means that meridian
// (it used to give 0*inf = NaN, reported as success).
void LoximuthalRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const LoximuthalConstants& c = k.Family<LoximuthalConstants>();
  const double v = k.UnitY(y);
  const double phi = v + k.phi0;
  const bool onCentre = std::fabs(v) < 1e-9;
  const double q = phi / 2 + kPi / 4;
  const bool noLog = NoLogarithm(q) || std::fabs(q) > 1e30;
  const double r = noLog ? 0 : std::tan(q) / c.t1;
  const double logR = r > 0 ? std::log(r) : 0;
  ForEachPixel(x0, first, count, out, [&](double x) {
    const double u = k.UnitX(x);
    double lambda;
    if (onCentre)
      lambda = u / c.cphi1;
    else if (noLog)
      lambda = 0;
    else
      lambda = r > 0 && u != 0 ? logR * u / v : 0;
    return k.Finish(kLoximuthal + 1, 0, lambda, phi);
  });
}

// ---- Collignon -------------------------------------------------------------------
// 471, 472 not ready; 473 above the top, 474 no latitude, 475 longitude. A
// failure leaves the pixel as it came.

constexpr int kCollignon = 471;
constexpr double kCollignonCx = 1.1283791670955125740;  // 2/sqrt(pi)
constexpr double kCollignonCy = 1.7724538509055160273;  // sqrt(pi)

// Success sets no code: the frame's 0 stands and OnError stays quiet.
Out CollignonForward(const Prepared& k, double lambda, double phi) {
  double s = 1 - std::sin(phi);
  s = s > 0 ? std::sqrt(s) : 0;
  return Quiet(k.x0 + (lambda - k.theta) * kCollignonCx * k.R * s,
               k.y0 - (1 - s) * kCollignonCy * k.R);
}

// At the north pole the width is 0: the pixel straight at the pole is the
// central meridian there (it used to give 0/0 = NaN as success), any other
// pixel of that row is beyond the map.
void CollignonRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const double R = k.R;
  const double v = (k.y0 - y) / (kCollignonCy * R) - 1;
  int rowStatus = v > 0 ? 1 : 0;
  const double w = 1 - v * v;
  double phi;
  if (std::fabs(w) > 1) {
    rowStatus = 2;
    phi = w;
  } else {
    phi = SafeArcSin(w);
  }
  const double across = kCollignonCx * R * std::sqrt(1 - std::sin(phi));
  ForEachPixel(x0, first, count, out, [&](double x) {
    const double dx = x - k.x0;
    const double lambda = dx == 0 ? 0.0 : dx / across;
    const int status = OutOfRange(lambda, -kPi, kPi) ? 3 : rowStatus;
    if (status != 0) return Result(x, y, kCollignon + 1 + status);
    return Result(lambda + k.theta, phi);
  });
}

// ---- The kinds ----------------------------------------------------------------------

constexpr KindEntry kKinds[] = {
    Pseudocylindrical<NellRows>(mpNell, 0, NellForward, kNell),
    Pseudocylindrical<FoucautSinusoidalRows>(mpFoucautS, 0, FoucautSinusoidalForward, kFoucautS),
    Pseudocylindrical<FaheyRows>(mpFahey, 0, FaheyForward, kFahey),
    Pseudocylindrical<LoximuthalRows>(mpLoximuthal, 0, LoximuthalForward, kLoximuthal)
        .PreparedBy(PrepareLoximuthal),
    Pseudocylindrical<CollignonRows>(mpCollignon, 0, CollignonForward, kCollignon),
};

}  // namespace

std::span<const KindEntry> OtherPseudocylindricalKinds() { return kKinds; }

}  // namespace gx
