// Pseudocylindrical kinds, first file: sinusoidal, Mollweide, interrupted
// Mollweide, Wagner IV, Eckert I to VI, Craster, the root family (Eckert III,
// Putnins P1, Kavraisky VII, Wagner VI) and the auxiliary-angle family (Eckert
// VI, McBryde-Thomas sine 2). The other kinds are in pseudocylindrical2.cpp.
//
// Most routines work on the unit sphere between the component's frame steps
// (u east, v north); the older kinds scale to pixels in their own formulas,
// and keep doing so where their failure pairs depend on it. Constants are held
// as given, with the closed form beside them where one exists.
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "projection/pseudocylindrical.h"

namespace {

using gx::kHalfPi;
using gx::kPi;
using gx::kTwoPi;
using gx::SafeArcSin;
using gx::SafeSqrt;
using gx::pseudo::BeginForward;
using gx::pseudo::BeginInverse;
using gx::pseudo::EndForward;
using gx::pseudo::FoldLatitude;
using gx::pseudo::OutOfRange;

// ---- Constant tables ---------------------------------------------------------

// Root family: x = Cx*lambda*(A + sqrt(1 - B*phi^2)), y = Cy*phi.
struct RootRow {
  double Cx, Cy, A, B;
  int F;  // forward not-ready code; the inverse's codes follow it
};
constexpr RootRow kRootRows[] = {
    {0.4222382003157712, 0.8444764006315424, 1.0, 0.4052847345693511, 491},  // Eckert III, B = 4/pi^2
    {1.8949, 0.94745, -0.5, 0.3039635509270133, 501},                       // Putnins P1, B = 3/pi^2
    {0.8660254037844, 1.0, 0.0, 0.3039635509270133, 511},                   // Kavraisky VII
    {0.94745, 0.94745, 0.0, 0.3039635509270133, 521},                       // Wagner VI
};

// Auxiliary-angle family: sin t + m*t = n*sin phi, x = Cx*lambda*(cos t + m),
// y = Cy*t with Cy = sqrt((m + 1)/n), Cx = Cy/(m + 1).
struct AuxAngleRow {
  double n, m;
  int F;
};
constexpr AuxAngleRow kAuxAngleRows[] = {
    {2.5707963267948966, 1.0, 591},  // Eckert VI, n = 1 + pi/2
    {1.7853981633974483, 0.5, 601},  // McBryde-Thomas sine 2, n = 1 + pi/4
};

// Interrupted Mollweide: each lobe's central meridian (on the lobe longitude)
// and its x offset, 0.900316316158 times the lobe's place in radians. Single
// precision as the lobes were laid out; these are the values drawn with.
struct TLobe {
  float Centre;
  float Offset;
};
constexpr TLobe MollweideLobes[6] = {
    {1.0471975803375244f, -2.199887752532959f},     // north,   60 deg, at -140 deg
    {-2.96705961227417f, -0.15713484585285187f},    // north, -170 deg, at  -10 deg
    {-0.5235987901687622f, 2.042752981185913f},     // north,  -30 deg, at  130 deg
    {1.5707963705062866f, -1.7284832000732422f},    // south,   90 deg, at -110 deg
    {-2.4434609413146973f, 0.31426969170570374f},   // south, -140 deg, at   20 deg
    {-0.3490658402442932f, 2.199887752532959f},     // south,  -20 deg, at  140 deg
};
// Lobe longitudes the inverse accepts for each lobe (bounds included). Lobes 1
// and 4 straddle the antimeridian of the lobe longitude, so their eastern part
// comes back 2*pi low; Inverse folds it back.
struct LobeRange {
  double Low, High;
};
constexpr LobeRange kLobeAccepted[6] = {
    {0.34906585, 1.91986217719},          {-4.36332312998979, -1.74532925199},
    {-1.745329252, 0.34906585},           {0.34906585, 2.44346095279},
    {-3.83972435358979, -1.2217304764},   {-1.2217304764, 0.34906585},
};
constexpr double kPiPrime = 3.14159265458979;  // pi + 1e-9: pi itself belongs to lobes 1 and 4

constexpr double kMollweideCx = 0.900316316158;   // 2*sqrt(2)/pi
constexpr double kMollweideCy = 1.4142135623731;  // sqrt(2), as the kind has always used it
constexpr double kSqrt2 = std::numbers::sqrt2;

// ---- Root family -----------------------------------------------------------

void RootPseudoForward(TGxProjectionL& p, double Cx, double Cy, double A, double B) {
  p.CentreLongitude();
  const double phi = p.Y;
  const double s = SafeSqrt(1 - B * phi * phi) + A;
  p.X = s * (p.Radius * p.X * Cx) + p.X0;
  p.Y = p.Y0 - p.Radius * Cy * phi;
}

// Status 1: no longitude (zero width at this latitude); 2: longitude out of
// range; 3: latitude out of range. A later test overrides an earlier one.
int RootPseudoInverse(TGxProjectionL& p, double Cx, double Cy, double A, double B) {
  int status = 0;
  p.Y = (p.Y0 - p.Y) / (p.Radius * Cy);
  const double width = SafeSqrt(1 - B * p.Y * p.Y) + A;
  if (std::fabs(width) < 1e-9)
    status = 1;
  else
    p.X = (p.X - p.X0) / (width * p.Radius * Cx);
  if (p.X > kPi || p.X < -kPi) status = 2;
  if (p.Y > kHalfPi || p.Y < -kHalfPi) status = 3;
  return status;
}

void RootForward(TGxProjectionL& p, int row) {
  const RootRow& r = kRootRows[row];
  if (p.NotReady(r.F)) return;
  FoldLatitude(p);
  RootPseudoForward(p, r.Cx, r.Cy, r.A, r.B);
  p.SetError(0);
}

void RootInverse(TGxProjectionL& p, int row) {
  const RootRow& r = kRootRows[row];
  if (p.NotReady(r.F + 1)) return;
  const int status = RootPseudoInverse(p, r.Cx, r.Cy, r.A, r.B);
  if (status == 0) {
    p.SetError(0);
    p.X += p.Theta;
  } else {
    p.SetError(r.F + 1 + status);
  }
}

// ---- Auxiliary-angle family ------------------------------------------------

// Newton's method from t = phi. For |phi| <= pi/2 the step's divisor stays
// positive; when the 11 passes run out the last t is good enough to draw with.
void AuxAngleForward(TGxProjectionL& p, double n, double m) {
  const double Cy = std::sqrt((m + 1) / n);
  const double Cx = Cy / (m + 1);
  const double k = n * std::sin(p.Y);
  double t = p.Y;
  for (int pass = 0; pass < 11; ++pass) {
    const double V = (std::sin(t) + m * t - k) / (std::cos(t) + m);
    t -= V;
    if (std::fabs(V) < 1e-9) break;
  }
  p.X = Cx * p.X * (std::cos(t) + m);
  p.Y = Cy * t;
}

int AuxAngleInverse(TGxProjectionL& p, double n, double m) {
  if (std::fabs(p.Y) >= n) {
    p.X = 0;
    p.Y = 0;
    return 1;
  }
  const double Cy = std::sqrt((m + 1) / n);
  const double Cx = Cy / (m + 1);
  const double t = p.Y / Cy;
  p.X = p.X / (Cx * (std::cos(t) + m));
  p.Y = SafeArcSin((std::sin(t) + m * t) / n);
  return 0;
}

void AuxAngleKindForward(TGxProjectionL& p, int row) {
  const AuxAngleRow& r = kAuxAngleRows[row];
  if (!BeginForward(p, r.F)) return;
  AuxAngleForward(p, r.n, r.m);
  EndForward(p);
}

void AuxAngleKindInverse(TGxProjectionL& p, int row) {
  const AuxAngleRow& r = kAuxAngleRows[row];
  if (!BeginInverse(p, r.F + 1)) return;
  const int status = AuxAngleInverse(p, r.n, r.m);
  p.FinishInverse(r.F + 1, status);
}

// ---- Sinusoidal (also Bonne with Phi0 = 0) ----------------------------------

void SinusoidalForward(TGxProjectionL& p, int /*row*/) {
  if (p.NotReady(170)) return;
  FoldLatitude(p);
  p.CentreLongitude();
  const double phi = p.Y;
  p.X = p.X0 + p.Radius * p.X * std::cos(phi);
  p.Y = p.Y0 - p.Radius * phi;
  p.SetError(0);
}

void SinusoidalInverse(TGxProjectionL& p, int /*row*/) {
  if (p.NotReady(171)) return;
  const double R = p.Radius;
  const double phi = (p.Y0 - p.Y) / R;
  const double cphi = std::cos(phi);
  p.X = (cphi * R * p.Theta + (p.X - p.X0)) / R / cphi;
  p.Y = phi;
  p.SetError(p.StrictCheckAndWrap() ? 0 : 177);
}

// ---- Mollweide, Wagner IV and the interrupted Mollweide ---------------------

// Solves sin t + t = k by Newton's method from t = start; false when the
// passes run out. Near the poles the root is threefold, so convergence is
// slow there: the pass limits of the kinds allow for it.
bool SolveMollweideAngle(double k, double start, int passes, double tolerance, double& t) {
  t = start;
  for (int pass = 0; pass < passes; ++pass) {
    const double V = -(std::sin(t) + t - k) / (std::cos(t) + 1);
    t += V;
    if (std::fabs(V) < tolerance) return true;
  }
  return false;
}

void MollweideForward(TGxProjectionL& p, int /*row*/) {
  if (p.NotReady(320)) {
    p.X = p.Y = -1;
    return;
  }
  FoldLatitude(p);
  p.WrapLongitude();
  double dlambda = p.X - p.Theta;
  const double phi = p.Y;
  double t;
  if (!SolveMollweideAngle(kPi * std::sin(phi), phi, 51, 1e-9, t)) {
    p.SetError(322);
    p.X = p.Y = -1;
    return;
  }
  const double theta = t / 2;
  if (kHalfPi - std::fabs(phi) < 1e-8) dlambda = 0;  // the poles are points
  p.X = p.X0 + kMollweideCx * p.Radius * dlambda * std::cos(theta);
  p.Y = p.Y0 - kMollweideCy * p.Radius * std::sin(theta);
  p.SetError(0);
}

void MollweideInverse(TGxProjectionL& p, int /*row*/) {
  const double R = p.Radius;
  const double xr = p.X - p.X0;
  const double yr = p.Y0 - p.Y;
  const double ex = kSqrt2 * xr / 4, ey = kSqrt2 * yr / 2;
  const double rho = std::sqrt(ex * ex + ey * ey) / R;  // <= 1 inside the ellipse
  if (p.NotReady(321)) {
    p.X = p.Y = 0;
    return;
  }
  if (!(rho <= 1)) {
    p.SetError(323);
    p.X = p.Y = 0;
    return;
  }
  const double s = std::clamp(yr / (kMollweideCy * R), -0.999999999999, 0.999999999999);
  const double theta = std::asin(s);
  const double lambda = p.Theta + xr / (kMollweideCx * R * std::cos(theta));
  const double w = std::clamp((2 * theta + std::sin(2 * theta)) / kPi, -1.0, 1.0);
  p.SetError(0);
  p.X = lambda;
  p.Y = std::asin(w);
}

void WagnerIVForward(TGxProjectionL& p, int /*row*/) {
  if (p.NotReady(330)) {
    p.X = p.Y = -1;
    return;
  }
  FoldLatitude(p);
  p.WrapLongitude();
  const double dlambda = p.X - p.Theta;
  const double phi = p.Y;
  double t;
  if (!SolveMollweideAngle(2.9604205062 * std::sin(phi), phi, 31, 1e-9, t)) {
    p.SetError(332);
    p.X = p.Y = -1;
    return;
  }
  const double theta = t / 2;
  p.X = p.X0 + 0.8631 * p.Radius * dlambda * std::cos(theta);
  p.Y = p.Y0 - 1.56548 * p.Radius * std::sin(theta);
  p.SetError(0);
}

void WagnerIVInverse(TGxProjectionL& p, int /*row*/) {
  double lambda = 0, phi = 0;
  if (!p.NotReady(331)) {
    const double R = p.Radius;
    const double xr = p.X - p.X0;
    const double yr = p.Y0 - p.Y;
    const double theta = SafeArcSin(yr / (1.56548 * R));
    lambda = p.Theta + xr / (0.8631 * R * std::cos(theta));
    phi = SafeArcSin((2 * theta + std::sin(2 * theta)) / 2.9604205062);
    const double dlambda = lambda - p.Theta;
    const bool outside = !(std::fabs(yr) <= 1.3575 * R) || (xr > 0 && !(dlambda <= kPi)) ||
                         (xr < 0 && !(dlambda >= -kPi));
    p.SetError(outside ? 333 : 0);
  }
  p.X = lambda;
  p.Y = phi;
}

// Longitude counted from the antimeridian of Theta, folded into (-pi, pi]
// the same way Inverse folds its results.
double LobeLongitude(double a) {
  const double sa = std::sin(a), ca = std::cos(a);
  if (ca < 0 && sa > 0) return kPi - std::asin(sa);
  if (ca < 0 && sa < 0) return -kPi - std::asin(sa);
  if (ca > 0 && sa != 0) return std::asin(sa);
  return a;
}

int LobeOf(double a, bool north) {
  if (north) {
    if (a >= 0.34906585 && a < 1.91986217719) return 0;
    if ((a >= 1.919862177 && a <= kPiPrime) || (a >= -kPiPrime && a < -1.745329252)) return 1;
    return 2;
  }
  if (a >= 0.34906585 && a < 2.44346095279) return 3;
  if ((a >= 2.4434609527 && a <= kPiPrime) || (a >= -kPiPrime && a < -1.2217304764)) return 4;
  return 5;
}

void IMollweideForward(TGxProjectionL& p, int /*row*/) {
  if (p.NotReady(350)) {
    p.X = p.Y = -1;
    return;
  }
  FoldLatitude(p);
  const double phi = p.Y;
  const double a = LobeLongitude(p.X - p.Theta + kPi);
  const int j = LobeOf(a, phi >= 0);
  const TLobe& lobe = MollweideLobes[j];
  double d = a - lobe.Centre;
  if ((j == 1 || j == 4) && a > 0) d -= kTwoPi;  // eastern part of a lobe across the antimeridian
  double t;
  // 1e-8 here: this kind has always stopped one digit earlier than Mollweide.
  if (!SolveMollweideAngle(kPi * std::sin(phi), phi, 51, 1e-8, t)) {
    p.SetError(352);
    p.X = p.Y = -1;
    return;
  }
  const double theta = t / 2;
  if (kHalfPi - std::fabs(phi) < 1e-8) d = 0;
  p.X = p.X0 + p.Radius * (kMollweideCx * d * std::cos(theta) + lobe.Offset);
  p.Y = p.Y0 - kMollweideCy * p.Radius * std::sin(theta);
  p.SetError(0);
}

void IMollweideInverse(TGxProjectionL& p, int /*row*/) {
  constexpr int kPending = 10000;  // silent until the lobe test has spoken
  double a = 0, phi = 0;
  const double R = p.Radius;
  double xr = p.X - p.X0;
  const double yr = p.Y0 - p.Y;
  if (p.NotReady(351)) {
    // the pair stays (0, 0): X becomes Theta - pi below
  } else if (!(std::fabs(yr) <= kSqrt2 * R)) {
    p.SetError(353);
  } else {
    p.ErrorCode = kPending;
    int j;
    if (yr >= 0)
      j = xr <= -1.41421356248 * R ? 0 : xr <= 0.942809042 * R ? 1 : 2;
    else
      j = xr <= -0.942809042 * R ? 3 : xr <= 1.41421356248 * R ? 4 : 5;
    const TLobe& lobe = MollweideLobes[j];
    xr -= lobe.Offset * R;
    const double theta = SafeArcSin(yr / (kMollweideCy * R));
    a = xr / (kMollweideCx * R * std::cos(theta)) + lobe.Centre;
    phi = SafeArcSin((2 * theta + std::sin(2 * theta)) / kPi);
    if (OutOfRange(a, kLobeAccepted[j].Low, kLobeAccepted[j].High)) p.SetError(353);
    if (p.ErrorCode == kPending) p.SetError(0);
  }
  p.X = a - kPi + p.Theta;
  p.Y = phi;
}

// ---- Eckert I, II, IV, V and Craster ----------------------------------------

constexpr double kEckertIC = 0.92131773192356127803;   // 2*sqrt(2/(3*pi))
constexpr double kInvPi = 0.31830988618379067154;      // 1/pi

void EckertIForward(TGxProjectionL& p, int /*row*/) {
  if (p.NotReady(481)) return;
  FoldLatitude(p);
  p.CentreLongitude();
  const double phi = p.Y;
  p.X = p.X0 + (1 - std::fabs(phi) * kInvPi) * (kEckertIC * p.Radius * p.X);
  p.Y = p.Y0 - kEckertIC * p.Radius * phi;
  p.SetError(0);
}

void EckertIInverse(TGxProjectionL& p, int /*row*/) {
  if (p.NotReady(482)) return;
  const double phi = (p.Y0 - p.Y) / (kEckertIC * p.Radius);
  p.X = (p.X - p.X0) / ((1 - std::fabs(phi) * kInvPi) * kEckertIC * p.Radius);
  p.Y = phi;
  p.FinishInverse(482, 0);
}

constexpr double kEckertIICx = 0.46065886596178063904;  // 2/sqrt(6*pi)
constexpr double kEckertIICy = 1.4472025091165353187;   // 2*sqrt(pi/6)

void EckertIIForward(TGxProjectionL& p, int /*row*/) {
  if (p.NotReady(390)) {
    p.X = p.Y = -1;
    return;
  }
  FoldLatitude(p);
  p.CentreLongitude();
  const double phi = p.Y;
  const double s = std::sqrt(4 - 3 * std::sin(std::fabs(phi)));
  const double sign = std::fabs(phi) > 1e-9 ? phi / std::fabs(phi) : 1.0;
  p.X = p.X0 + kEckertIICx * p.Radius * p.X * s;
  p.Y = p.Y0 - kEckertIICy * p.Radius * (2 - s) * sign;
  p.SetError(0);
}

// Success leaves the code at the dispatcher's 0 without an event, as ever.
void EckertIIInverse(TGxProjectionL& p, int /*row*/) {
  if (p.NotReady(391)) {
    p.X = p.Y = -1;
    return;
  }
  const double u = (p.X - p.X0) / (kEckertIICx * p.Radius);
  const double v = (p.Y0 - p.Y) / (kEckertIICy * p.Radius);
  const double t = 2 - std::fabs(v);  // sqrt(4 - 3 sin|phi|), from 1 at the poles to 2
  double lambda = u / t;
  const double w = (4 - t * t) / 3;
  int status = 0;
  double phi = 0;
  // t <= 0 (|v| >= 2, far beyond the poles) is refused as well: from |v| = 3 on,
  // w falls back into [-1, 1] and would draw a ghost of the map there.
  if (std::fabs(w) > 1 || !(t > 0)) {
    status = 1;
  } else {
    phi = std::asin(w);
    if (v < 0) phi = -phi;
  }
  if (OutOfRange(lambda, -kPi, kPi)) status = 2;
  lambda += p.Theta;
  if (status == 0) {
    p.X = lambda;
    p.Y = phi;
  } else {
    p.SetError(392);
  }
}

constexpr double kEckertIVk0 = 3.5707963267948966191;  // 2 + pi/2
constexpr double kEckertIVCx = 0.42223820031577120147; // 2/sqrt(pi*(4 + pi))
constexpr double kEckertIVCy = 1.3265004281770023222;  // 2*sqrt(pi/(4 + pi))

void EckertIVForward(TGxProjectionL& p, int /*row*/) {
  if (!BeginForward(p, 551)) return;
  const double phi = p.Y;
  const double k = kEckertIVk0 * std::sin(phi);
  double t = phi * (0.895168 + phi * phi * (0.0218849 + phi * phi * 0.00826809));
  for (int pass = 0; pass < 11; ++pass) {
    const double ct = std::cos(t), st = std::sin(t);
    const double V = (t + st * (ct + 2) - k) / (1 + ct * (ct + 2) - st * st);
    t -= V;
    if (std::fabs(V) < 1e-9) break;
  }
  p.X = kEckertIVCx * p.X * (1 + std::cos(t));
  p.Y = kEckertIVCy * std::sin(t);
  EndForward(p);
}

void EckertIVInverse(TGxProjectionL& p, int /*row*/) {
  if (!BeginInverse(p, 552)) return;
  const double t = SafeArcSin(p.Y / kEckertIVCy);
  const double ct = std::cos(t);
  const int status = std::fabs(ct) < 1e-9 ? 3 : 0;
  p.X = p.X / (kEckertIVCx * (1 + ct));
  p.Y = SafeArcSin((t + std::sin(t) * (ct + 2)) / kEckertIVk0);
  p.FinishInverse(552, status);
}

constexpr double kEckertVCx = 0.44101277172455148216;       // 1/sqrt(2 + pi)
constexpr double kEckertVCy = 0.88202554344910296438;       // 2/sqrt(2 + pi)
constexpr double kEckertVInvCy = 1.1337540136191131957;     // sqrt(2 + pi)/2
constexpr double kEckertVSqrt2PlusPi = 2.2675080272382263911;  // sqrt(2 + pi)

void EckertVForward(TGxProjectionL& p, int /*row*/) {
  if (p.NotReady(531)) return;
  FoldLatitude(p);
  p.CentreLongitude();
  const double phi = p.Y;
  p.X = p.X0 + p.Radius * p.X * kEckertVCx * (1 + std::cos(phi));
  p.Y = p.Y0 - kEckertVCy * p.Radius * phi;
  p.SetError(0);
}

// The forward divides by sqrt(2 + pi), so the inverse multiplies by it (it
// used to divide, which put a point at 90 deg back at 17.5 deg).
void EckertVInverse(TGxProjectionL& p, int /*row*/) {
  if (p.NotReady(532)) return;
  const double phi = (p.Y0 - p.Y) * kEckertVInvCy / p.Radius;
  p.X = (p.X - p.X0) * kEckertVSqrt2PlusPi / ((1 + std::cos(phi)) * p.Radius);
  p.Y = phi;
  p.FinishInverse(532, 0);
}

constexpr double kCrasterCx = 0.97720502380583984319;     // sqrt(3/pi)
constexpr double kCrasterCy = 3.0699801238394654652;      // sqrt(3*pi)
constexpr double kCrasterInvCy = 0.32573500793527994772;  // 1/sqrt(3*pi)
constexpr double kCrasterInvCx = 1.0233267079464884885;   // sqrt(pi/3)

void CrasterForward(TGxProjectionL& p, int /*row*/) {
  if (p.NotReady(541)) return;
  FoldLatitude(p);
  p.CentreLongitude();
  const double third = p.Y / 3;
  p.X = p.X0 + kCrasterCx * p.X * (2 * std::cos(2 * third) - 1) * p.Radius;
  p.Y = p.Y0 - kCrasterCy * std::sin(third) * p.Radius;
  p.SetError(0);
}

// Multiplies by sqrt(pi/3) = 1/Cx, undoing the forward; it used to divide.
// When |q| > 1 the pixel stays in X, Y, so the range tests of FinishInverse
// usually report 543 or 544 rather than 545.
void CrasterInverse(TGxProjectionL& p, int /*row*/) {
  if (p.NotReady(542)) return;
  int status = 0;
  const double q = (p.Y0 - p.Y) * kCrasterInvCy / p.Radius;
  if (std::fabs(q) > 1) {
    status = 3;
  } else {
    p.Y = 3 * std::asin(q);
    const double d = (2 * std::cos(2 * p.Y / 3) - 1) * p.Radius;
    if (std::fabs(d) < 1e-9)
      status = 4;
    else
      p.X = (p.X - p.X0) * kCrasterInvCx / d;
  }
  p.FinishInverse(542, status);
}

// ---- The family's table -------------------------------------------------------

constexpr KindRoutines kFirstFileRoutines[] = {
    {mpSinusoidal, SinusoidalForward, SinusoidalInverse, 0},
    {mpMollweide, MollweideForward, MollweideInverse, 0},
    {mpWagnerIV, WagnerIVForward, WagnerIVInverse, 0},
    {mpIMollweide, IMollweideForward, IMollweideInverse, 0},
    {mpEckertI, EckertIForward, EckertIInverse, 0},
    {mpEckertII, EckertIIForward, EckertIIInverse, 0},
    {mpEckertIII, RootForward, RootInverse, 0},
    {mpPutnins, RootForward, RootInverse, 1},
    {mpKavraiskyVII, RootForward, RootInverse, 2},
    {mpWagnerVI, RootForward, RootInverse, 3},
    {mpEckertIV, EckertIVForward, EckertIVInverse, 0},
    {mpEckertV, EckertVForward, EckertVInverse, 0},
    {mpCraster, CrasterForward, CrasterInverse, 0},
    {mpEckertVI, AuxAngleKindForward, AuxAngleKindInverse, 0},
    {mpMcBryde, AuxAngleKindForward, AuxAngleKindInverse, 1},
};

}  // namespace

std::span<const KindRoutines> PseudocylindricalRoutines() {
  constexpr std::size_t kFirst = std::size(kFirstFileRoutines);
  static const std::array<KindRoutines, kFirst + gx::pseudo::kSecondFileKindCount> all = [] {
    std::array<KindRoutines, kFirst + gx::pseudo::kSecondFileKindCount> table{};
    const auto second = gx::pseudo::SecondFileRoutines();
    std::copy(std::begin(kFirstFileRoutines), std::end(kFirstFileRoutines), table.begin());
    std::copy(second.begin(), second.end(), table.begin() + kFirst);
    return table;
  }();
  return all;
}
