// Pseudocylindrical kinds with straight parallels and closed-form or
// Newton forwards: the sinusoidal, Eckert I, II, IV and V, Craster, the root
// family (Eckert III, Putnins P1, Kavraisky VII, Wagner VI) and the
// auxiliary-angle family (Eckert VI, McBryde-Thomas sine 2).
//
// Every forward here folds the latitude and wraps the longitude first (the
// frame's pre-steps). Every inverse finds the latitude from the row alone,
// so it is written as a row part and a column part.
//
// Constants are held as given, with the closed form beside them where one
// exists. The older kinds mix the radius into their formulas in their own
// order, which is kept: their results must not move by a bit.
#include <cmath>

#include "projection/Kernel.h"

namespace gx {
namespace {


// ---- Root family -------------------------------------------------------------
// x = Cx lambda (A + sqrt(1 - B phi^2)), y = Cy phi. Codes: F, F + 1 not ready;
// F + 1 + 1 no longitude (zero width), + 2 longitude, + 3 latitude out of range.

struct RootRow {
  double Cx, Cy, A, B;
  int F;
};
constexpr RootRow kRootRows[] = {
    {0.4222382003157712, 0.8444764006315424, 1.0, 0.4052847345693511, 491},  // Eckert III, B = 4/pi^2
    {1.8949, 0.94745, -0.5, 0.3039635509270133, 501},                       // Putnins P1, B = 3/pi^2
    {0.8660254037844, 1.0, 0.0, 0.3039635509270133, 511},                   // Kavraisky VII
    {0.94745, 0.94745, 0.0, 0.3039635509270133, 521},                       // Wagner VI
};

Out RootForward(const Prepared& k, double lambda, double phi) {
  const RootRow& r = kRootRows[k.Row()];
  const double s = SafeSqrt(1 - r.B * phi * phi) + r.A;
  return Result(s * (k.R * (lambda - k.theta) * r.Cx) + k.x0, k.y0 - k.R * r.Cy * phi);
}

// A later test overrides an earlier one.
void RootRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const RootRow& r = kRootRows[k.Row()];
  const double phi = (k.y0 - y) / (k.R * r.Cy);
  const double width = SafeSqrt(1 - r.B * phi * phi) + r.A;
  const bool noWidth = std::fabs(width) < 1e-9;
  const bool latitudeOut = phi > kHalfPi || phi < -kHalfPi;
  ForEachPixel(x0, first, count, out, [&](double x) {
    int status = noWidth ? 1 : 0;
    const double lambda = noWidth ? x : (x - k.x0) / (width * k.R * r.Cx);
    if (lambda > kPi || lambda < -kPi) status = 2;
    if (latitudeOut) status = 3;
    if (status != 0) return Result(lambda, phi, r.F + 1 + status);
    return Result(lambda + k.theta, phi);
  });
}

// ---- Auxiliary-angle family -----------------------------------------------------
// sin t + m t = n sin phi, x = Cx lambda (cos t + m), y = Cy t with
// Cy = sqrt((m + 1)/n), Cx = Cy/(m + 1). Codes: F, F + 1 not ready, F + 1 + 1
// beyond the map.

struct AuxAngleRow {
  double n, m;
  int F;
  double Cy() const { return std::sqrt((m + 1) / n); }
  double Cx() const { return Cy() / (m + 1); }
};
constexpr AuxAngleRow kAuxAngleRows[] = {
    {2.5707963267948966, 1.0, 591},  // Eckert VI, n = 1 + pi/2
    {1.7853981633974483, 0.5, 601},  // McBryde-Thomas sine 2, n = 1 + pi/4
};

// Newton's method from t = phi. For |phi| <= pi/2 the step's divisor stays
// positive; when the 11 passes run out the last t is good enough to draw with.
Out AuxAngleForward(const Prepared& k, double lambda, double phi) {
  const AuxAngleRow& r = kAuxAngleRows[k.Row()];
  const double Cy = r.Cy(), Cx = r.Cx();
  const double c = r.n * std::sin(phi);
  double t = phi;
  for (int pass = 0; pass < 11; ++pass) {
    const double V = (std::sin(t) + r.m * t - c) / (std::cos(t) + r.m);
    t -= V;
    if (std::fabs(V) < 1e-9) break;
  }
  return k.ToPixels(Cx * (lambda - k.theta) * (std::cos(t) + r.m), Cy * t);
}

void AuxAngleRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const AuxAngleRow& r = kAuxAngleRows[k.Row()];
  const double v = k.UnitY(y);
  // A row beyond the map's top or bottom is refused whatever its angles.
  if (std::fabs(v) >= r.n) {
    ForEachPixel(x0, first, count, out, [&](double) { return k.Finish(r.F + 1, 1, 0, 0); });
    return;
  }
  const double Cy = r.Cy(), Cx = r.Cx();
  const double t = v / Cy;
  const double across = Cx * (std::cos(t) + r.m);
  const double phi = SafeArcSin((std::sin(t) + r.m * t) / r.n);
  ForEachPixel(x0, first, count, out,
               [&](double x) { return k.Finish(r.F + 1, 0, k.UnitX(x) / across, phi); });
}

// ---- Sinusoidal (also Bonne with Phi0 = 0) -------------------------------------
// Codes: 170, 171 not ready; 177 out of range.

constexpr int kSinusoidal = 170;

Out SinusoidalForward(const Prepared& k, double lambda, double phi) {
  return Result(k.x0 + k.R * (lambda - k.theta) * std::cos(phi), k.y0 - k.R * phi);
}

void SinusoidalRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const double R = k.R;
  const double phi = (k.y0 - y) / R;
  const double cphi = std::cos(phi);
  const double shift = cphi * R * k.theta;
  ForEachPixel(x0, first, count, out, [&](double x) {
    double lambda = (shift + (x - k.x0)) / R / cphi;
    const bool ok = k.StrictCheckAndWrap(lambda, phi);
    return Result(lambda, phi, ok ? 0 : kSinusoidal + 7);
  });
}

// ---- Eckert I, II, IV, V and Craster --------------------------------------------

constexpr int kEckertI = 481;  // 481, 482 not ready; 483 longitude, 484 latitude
constexpr double kEckertIC = 0.92131773192356127803;   // 2*sqrt(2/(3*pi))
constexpr double kInvPi = 0.31830988618379067154;      // 1/pi

Out EckertIForward(const Prepared& k, double lambda, double phi) {
  return Result(k.x0 + (1 - std::fabs(phi) * kInvPi) * (kEckertIC * k.R * (lambda - k.theta)),
                k.y0 - kEckertIC * k.R * phi);
}

void EckertIRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const double phi = (k.y0 - y) / (kEckertIC * k.R);
  const double across = (1 - std::fabs(phi) * kInvPi) * kEckertIC * k.R;
  ForEachPixel(x0, first, count, out,
               [&](double x) { return k.Finish(kEckertI + 1, 0, (x - k.x0) / across, phi); });
}

// 390, 391 not ready (both leave (-1, -1)); 392 beyond the map, the pixel
// left as it came. Success leaves the code at the frame's 0 without an
// event, as ever.
constexpr int kEckertII = 390;
constexpr double kEckertIICx = 0.46065886596178063904;  // 2/sqrt(6*pi)
constexpr double kEckertIICy = 1.4472025091165353187;   // 2*sqrt(pi/6)

Out EckertIIForward(const Prepared& k, double lambda, double phi) {
  const double s = std::sqrt(4 - 3 * std::sin(std::fabs(phi)));
  const double sign = std::fabs(phi) > 1e-9 ? phi / std::fabs(phi) : 1.0;
  return Result(k.x0 + kEckertIICx * k.R * (lambda - k.theta) * s,
                k.y0 - kEckertIICy * k.R * (2 - s) * sign);
}

void EckertIIRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const double v = (k.y0 - y) / (kEckertIICy * k.R);
  const double t = 2 - std::fabs(v);  // sqrt(4 - 3 sin|phi|), from 1 at the poles to 2
  const double w = (4 - t * t) / 3;
  // t <= 0 (|v| >= 2, far beyond the poles) is refused as well: from |v| = 3 on,
  // w falls back into [-1, 1] and would draw a ghost of the map there.
  const bool noLatitude = std::fabs(w) > 1 || !(t > 0);
  double phi = 0;
  if (!noLatitude) {
    phi = std::asin(w);
    if (v < 0) phi = -phi;
  }
  ForEachPixel(x0, first, count, out, [&](double x) {
    const double lambda = (x - k.x0) / (kEckertIICx * k.R) / t;
    if (noLatitude || OutOfRange(lambda, -kPi, kPi)) return Result(x, y, kEckertII + 2);
    return Quiet(lambda + k.theta, phi);
  });
}

constexpr int kEckertIV = 551;  // 551, 552 not ready; 553, 554 range, 555 no width
constexpr double kEckertIVk0 = 3.5707963267948966191;  // 2 + pi/2
constexpr double kEckertIVCx = 0.42223820031577120147; // 2/sqrt(pi*(4 + pi))
constexpr double kEckertIVCy = 1.3265004281770023222;  // 2*sqrt(pi/(4 + pi))

Out EckertIVForward(const Prepared& k, double lambda, double phi) {
  const double c = kEckertIVk0 * std::sin(phi);
  double t = phi * (0.895168 + phi * phi * (0.0218849 + phi * phi * 0.00826809));
  for (int pass = 0; pass < 11; ++pass) {
    const double ct = std::cos(t), st = std::sin(t);
    const double V = (t + st * (ct + 2) - c) / (1 + ct * (ct + 2) - st * st);
    t -= V;
    if (std::fabs(V) < 1e-9) break;
  }
  return k.ToPixels(kEckertIVCx * (lambda - k.theta) * (1 + std::cos(t)), kEckertIVCy * std::sin(t));
}

void EckertIVRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const double t = SafeArcSin(k.UnitY(y) / kEckertIVCy);
  const double ct = std::cos(t);
  const int status = std::fabs(ct) < 1e-9 ? 3 : 0;
  const double phi = SafeArcSin((t + std::sin(t) * (ct + 2)) / kEckertIVk0);
  ForEachPixel(x0, first, count, out, [&](double x) {
    return k.Finish(kEckertIV + 1, status, k.UnitX(x) / (kEckertIVCx * (1 + ct)), phi);
  });
}

constexpr int kEckertV = 531;  // 531, 532 not ready; 533, 534 range
constexpr double kEckertVCx = 0.44101277172455148216;       // 1/sqrt(2 + pi)
constexpr double kEckertVCy = 0.88202554344910296438;       // 2/sqrt(2 + pi)
constexpr double kEckertVInvCy = 1.1337540136191131957;     // sqrt(2 + pi)/2
constexpr double kEckertVSqrt2PlusPi = 2.2675080272382263911;  // sqrt(2 + pi)

Out EckertVForward(const Prepared& k, double lambda, double phi) {
  return Result(k.x0 + k.R * (lambda - k.theta) * kEckertVCx * (1 + std::cos(phi)),
                k.y0 - kEckertVCy * k.R * phi);
}

// The forward divides by sqrt(2 + pi), so the inverse multiplies by it (it
// used to divide, which put a point at 90 deg back at 17.5 deg).
void EckertVRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const double phi = (k.y0 - y) * kEckertVInvCy / k.R;
  const double across = (1 + std::cos(phi)) * k.R;
  ForEachPixel(x0, first, count, out, [&](double x) {
    return k.Finish(kEckertV + 1, 0, (x - k.x0) * kEckertVSqrt2PlusPi / across, phi);
  });
}

constexpr int kCraster = 541;  // 541, 542 not ready; 543, 544 range; 545 no latitude, 546 no width
constexpr double kCrasterCx = 0.97720502380583984319;     // sqrt(3/pi)
constexpr double kCrasterCy = 3.0699801238394654652;      // sqrt(3*pi)
constexpr double kCrasterInvCy = 0.32573500793527994772;  // 1/sqrt(3*pi)
constexpr double kCrasterInvCx = 1.0233267079464884885;   // sqrt(pi/3)

Out CrasterForward(const Prepared& k, double lambda, double phi) {
  const double third = phi / 3;
  return Result(k.x0 + kCrasterCx * (lambda - k.theta) * (2 * std::cos(2 * third) - 1) * k.R,
                k.y0 - kCrasterCy * std::sin(third) * k.R);
}

// Multiplies by sqrt(pi/3) = 1/Cx, undoing the forward; it used to divide.
// When |q| > 1 the pixel stays in the pair, so the range tests of Finish
// usually report 543 or 544 rather than 545.
void CrasterRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const double q = (k.y0 - y) * kCrasterInvCy / k.R;
  const bool noLatitude = std::fabs(q) > 1;
  const double phi = noLatitude ? y : 3 * std::asin(q);
  const double d = noLatitude ? 0 : (2 * std::cos(2 * phi / 3) - 1) * k.R;
  const bool noWidth = !noLatitude && std::fabs(d) < 1e-9;
  ForEachPixel(x0, first, count, out, [&](double x) {
    if (noLatitude) return k.Finish(kCraster + 1, 3, x, phi);
    if (noWidth) return k.Finish(kCraster + 1, 4, x, phi);
    return k.Finish(kCraster + 1, 0, (x - k.x0) * kCrasterInvCx / d, phi);
  });
}

// ---- The family's kinds -------------------------------------------------------------

constexpr KindEntry kKinds[] = {
    Pseudocylindrical<SinusoidalRows>(mpSinusoidal, 0, SinusoidalForward, kSinusoidal),
    Pseudocylindrical<EckertIRows>(mpEckertI, 0, EckertIForward, kEckertI),
    Pseudocylindrical<EckertIIRows>(mpEckertII, 0, EckertIIForward, kEckertII)
        .Leaving(Leaves::MinusOne, Leaves::MinusOne),
    Pseudocylindrical<RootRows>(mpEckertIII, 0, RootForward, kRootRows[0].F),
    Pseudocylindrical<RootRows>(mpPutnins, 1, RootForward, kRootRows[1].F),
    Pseudocylindrical<RootRows>(mpKavraiskyVII, 2, RootForward, kRootRows[2].F),
    Pseudocylindrical<RootRows>(mpWagnerVI, 3, RootForward, kRootRows[3].F),
    Pseudocylindrical<EckertIVRows>(mpEckertIV, 0, EckertIVForward, kEckertIV),
    Pseudocylindrical<EckertVRows>(mpEckertV, 0, EckertVForward, kEckertV),
    Pseudocylindrical<CrasterRows>(mpCraster, 0, CrasterForward, kCraster),
    Pseudocylindrical<AuxAngleRows>(mpEckertVI, 0, AuxAngleForward, kAuxAngleRows[0].F),
    Pseudocylindrical<AuxAngleRows>(mpMcBryde, 1, AuxAngleForward, kAuxAngleRows[1].F),
};

}  // namespace

std::span<const KindEntry> PseudocylindricalKinds() { return kKinds; }

}  // namespace gx
