// Pseudocylindrical kinds, second file: the McBryde-Thomas sinusoidal,
// parabolic and quartic kinds, the sine-tangent family (quartic authalic,
// McBryde-Thomas sine 1, Kavraisky V, Foucaut), the sine-factor family (Wagner
// I, Wagner II, Urmaev), Wagner III, Urmaev V, Nell, Foucaut sinusoidal,
// Fahey, Loximuthal and Collignon. McBryde-Thomas sine 2 belongs to the
// auxiliary-angle family in pseudocylindrical.cpp.
//
// Unless a kind says otherwise, a forward routine runs BeginForward, leaves
// the unit-sphere point in X, Y and runs EndForward; an inverse routine runs
// BeginInverse, works on the unit-sphere point with a status, and ends with
// FinishInverse(F + 1, status), F being the kind's forward not-ready code.
#include <array>
#include <cmath>
#include <numbers>

#include "projection/pseudocylindrical.h"

namespace {

using gx::kHalfPi;
using gx::kPi;
using gx::SafeArcSin;
using gx::SafeSqrt;
using gx::pseudo::BeginForward;
using gx::pseudo::BeginInverse;
using gx::pseudo::EndForward;
using gx::pseudo::OutOfRange;

constexpr double kOneThird = 1.0 / 3.0;
constexpr double kTwoThirds = 2.0 / 3.0;

// ---- Sine-tangent family ------------------------------------------------------

// Sine mode: x = (q/p)*lambda*cos phi/cos(phi/q), y = p*sin(phi/q).
// Tangent mode: x = (q/p)*lambda*cos phi*cos^2(phi/q), y = p*tan(phi/q).
enum class SineTangentMode { Sine, Tangent };
struct SineTangentRow {
  double P, Q;
  SineTangentMode Mode;
  int F;
};
constexpr SineTangentRow kSineTangentRows[] = {
    {2, 2, SineTangentMode::Sine, 671},              // quartic authalic
    {1.48875, 1.36509, SineTangentMode::Sine, 661},  // McBryde-Thomas sine 1
    {1.50488, 1.35439, SineTangentMode::Sine, 651},  // Kavraisky V
    {2, 2, SineTangentMode::Tangent, 641},           // Foucaut
};

void SineTangentForward(TGxProjectionL& p, SineTangentMode mode, double P, double Q) {
  const double phi = p.Y;
  p.X = (Q / P) * p.X * std::cos(phi);
  const double u = phi / Q;
  const double cu = std::cos(u);
  if (mode == SineTangentMode::Sine) {
    p.X = p.X / cu;
    p.Y = P * std::sin(u);
  } else {
    p.X = p.X * cu * cu;
    p.Y = P * std::tan(u);
  }
}

int SineTangentInverse(TGxProjectionL& p, SineTangentMode mode, double P, double Q) {
  p.Y = p.Y / P;
  const double u = mode == SineTangentMode::Tangent ? std::atan(p.Y) : SafeArcSin(p.Y);
  const double cu = std::cos(u);
  const double phi = u * Q;
  double lambda = p.X / (std::cos(phi) * (Q / P));
  if (mode == SineTangentMode::Tangent)
    lambda = lambda / (cu * cu);
  else
    lambda = lambda * cu;
  p.X = lambda;
  p.Y = phi;
  return 0;
}

void SineTangentKindForward(TGxProjectionL& p, int row) {
  const SineTangentRow& r = kSineTangentRows[row];
  if (!BeginForward(p, r.F)) return;
  SineTangentForward(p, r.Mode, r.P, r.Q);
  EndForward(p);
}

void SineTangentKindInverse(TGxProjectionL& p, int row) {
  const SineTangentRow& r = kSineTangentRows[row];
  if (!BeginInverse(p, r.F + 1)) return;
  p.FinishInverse(r.F + 1, SineTangentInverse(p, r.Mode, r.P, r.Q));
}

// ---- Sine-factor family: sin t = k*sin(m*phi), x = Cx*lambda*cos t, y = Cy*t --

// Wagner I keeps the y factor it has always had (1.139753528477, the Urmaev
// value, not 1.316...): forward and inverse agree on it, so maps stay usable.
// Urmaev takes k from Other and tests the inverse's range on t = y/Cy.
struct SineFactorRow {
  double Cx, Cy, k, m;
  bool FactorFromOther;
  int F;
};
constexpr SineFactorRow kSineFactorRows[] = {
    {0.8773826753, 1.139753528477, 0.8660254037844386469, 1.0, false, 711},  // Wagner I, k = sqrt(3)/2
    {0.92483, 1.38725, 0.88022, 0.8855, false, 681},                        // Wagner II
    {0.8773826753, 1.139753528477, 0.0, 1.0, true, 701},                    // Urmaev, k = Other
};

// Urmaev's factor lies in (0, 1]; the clamped value is written back so that
// the parameter shown is the one drawn with. NaN counts as not above 0.
double UrmaevFactor(TGxProjectionL& p) {
  if (!(p.Other > 0))
    p.Other = 0.0001;
  else if (p.Other > 1)
    p.Other = 1;
  return p.Other;
}

void SineFactorForward(TGxProjectionL& p, int row) {
  const SineFactorRow& r = kSineFactorRows[row];
  if (!BeginForward(p, r.F)) return;
  const double k = r.FactorFromOther ? UrmaevFactor(p) : r.k;
  const double t = SafeArcSin(k * std::sin(r.m * p.Y));
  p.X = r.Cx * p.X * std::cos(t);
  p.Y = r.Cy * t;
  EndForward(p);
}

void SineFactorInverse(TGxProjectionL& p, int row) {
  const SineFactorRow& r = kSineFactorRows[row];
  if (!BeginInverse(p, r.F + 1)) return;
  const double k = r.FactorFromOther ? UrmaevFactor(p) : r.k;
  const double t = p.Y / r.Cy;
  const int status = std::fabs(r.FactorFromOther ? t : p.Y) > kHalfPi ? 3 : 0;
  p.Y = SafeArcSin(std::sin(t) / k) / r.m;
  p.X = p.X / (r.Cx * std::cos(t));
  p.FinishInverse(r.F + 1, status);
}

// ---- McBryde-Thomas sinusoidal, parabolic and quartic ---------------------------

void McBrydeSinusoidalForward(TGxProjectionL& p, int /*row*/) {
  if (!BeginForward(p, 731)) return;
  const double k = 1.41546 * std::sin(p.Y);
  double t = p.Y;
  for (int pass = 0; pass < 11; ++pass) {
    const double t2 = t / 1.36509;
    const double V = (0.45503 * std::sin(t2) + std::sin(t) - k) / (std::cos(t2) * kOneThird + std::cos(t));
    t -= V;
    if (std::fabs(V) < 1e-7) break;
  }
  const double t2 = t / 1.36509;
  p.X = 0.22248 * p.X * (1 + 3 * std::cos(t) / std::cos(t2));
  p.Y = 1.44492 * std::sin(t2);
  EndForward(p);
}

void McBrydeSinusoidalInverse(TGxProjectionL& p, int /*row*/) {
  if (!BeginInverse(p, 732)) return;
  const double s = SafeArcSin(p.Y / 1.44492);
  const double t = 1.36509 * s;
  const int status = std::fabs(t) > kHalfPi ? 3 : 0;
  p.X = p.X / (0.22248 * (1 + 3 * std::cos(t) / std::cos(s)));
  p.Y = SafeArcSin((0.45503 * std::sin(s) + std::sin(t)) / 1.41546);
  p.FinishInverse(732, status);
}

constexpr double kParabolicCS = 0.95257934441568037153;
constexpr double kParabolicFXC = 0.92582009977255146159;
constexpr double kParabolicFYC = 3.4016802570830450448;

void McBrydeParabolicForward(TGxProjectionL& p, int /*row*/) {
  if (!BeginForward(p, 741)) return;
  const double t = SafeArcSin(kParabolicCS * std::sin(p.Y));
  p.X = kParabolicFXC * p.X * (2 * std::cos(kTwoThirds * t) - 1);
  p.Y = kParabolicFYC * std::sin(t / 3);
  EndForward(p);
}

// The arcsine of a sine that may lie beyond +-1: there the status is set and
// the unclamped argument is kept in place of the angle.
double ArcSinOrKeep(double v, int failStatus, int& status) {
  if (std::fabs(v) > 1) {
    status = failStatus;
    return v;
  }
  if (std::fabs(v) == 1) return std::copysign(kHalfPi, v);
  return SafeArcSin(v);
}

// Statuses: 3 y beyond the map, 4 no auxiliary angle, 5 no latitude; after 4
// and 5 the unclamped argument is left where the angle would be.
void McBrydeParabolicInverse(TGxProjectionL& p, int /*row*/) {
  if (!BeginInverse(p, 742)) return;
  int status = std::fabs(p.Y) > kHalfPi ? 3 : 0;
  const double s = p.Y / kParabolicFYC;
  const double u = ArcSinOrKeep(s, 4, status);
  const double t = 3 * u;
  p.X = p.X / (kParabolicFXC * (2 * std::cos(kTwoThirds * t) - 1));
  const double w = std::sin(t) / kParabolicCS;
  p.Y = ArcSinOrKeep(w, 5, status);
  p.FinishInverse(742, status);
}

constexpr double kQuarticC = 1.7071067811865475245;     // 1 + sqrt(2)/2
constexpr double kQuarticFXC = 0.3124597141037824925;
constexpr double kQuarticFYC = 1.8747582846226949551;
constexpr double kQuarticRYC = 0.53340209679417701684;  // 1/FYC
constexpr double kQuarticRXC = 3.200412580765062101;    // 1/FXC
constexpr double kQuarticRC = 0.58578643762690495118;   // 1/C = 2 - sqrt(2)

void McBrydeQuarticForward(TGxProjectionL& p, int /*row*/) {
  if (!BeginForward(p, 751)) return;
  const double k = kQuarticC * std::sin(p.Y);
  double t = p.Y;
  for (int pass = 0; pass < 21; ++pass) {
    const double V = (std::sin(t / 2) + std::sin(t) - k) / (std::cos(t / 2) / 2 + std::cos(t));
    t -= V;
    if (std::fabs(V) < 1e-7) break;
  }
  p.X = kQuarticFXC * p.X * (1 + 2 * std::cos(t) / std::cos(t / 2));
  p.Y = kQuarticFYC * std::sin(t / 2);
  EndForward(p);
}

void McBrydeQuarticInverse(TGxProjectionL& p, int /*row*/) {
  if (!BeginInverse(p, 752)) return;
  int status = std::fabs(p.Y) > kHalfPi ? 3 : 0;
  const double s = kQuarticRYC * p.Y;
  double t, sigma;  // t and sin(t/2)
  if (std::fabs(s) > 1) {
    status = 4;
    t = s;
    sigma = 1;
  } else if (std::fabs(s) == 1) {
    sigma = std::copysign(1.0, s);
    t = std::copysign(kPi, s);
  } else {
    sigma = s;
    t = 2 * SafeArcSin(s);
  }
  p.X = kQuarticRXC * p.X / (1 + 2 * std::cos(t) / std::cos(t / 2));
  const double w = kQuarticRC * (std::sin(t) + sigma);
  p.Y = ArcSinOrKeep(w, 5, status);
  p.FinishInverse(752, status);
}

// ---- Wagner III and Urmaev V ------------------------------------------------------

// Other is Wagner III's standard parallel in radians; 0 gives y = phi.
void WagnerIIIForward(TGxProjectionL& p, int /*row*/) {
  if (!BeginForward(p, 691)) return;
  const double n = p.Other;
  const double Ct = std::cos(n) / std::cos(kTwoThirds * n);
  p.X = Ct * p.X * std::cos(kTwoThirds * p.Y);
  EndForward(p);
}

void WagnerIIIInverse(TGxProjectionL& p, int /*row*/) {
  if (!BeginInverse(p, 692)) return;
  const double n = p.Other;
  const double Ct = std::cos(n) / std::cos(kTwoThirds * n);
  const int status = std::fabs(p.Y) > kHalfPi ? 3 : 0;
  p.X = p.X / (std::cos(kTwoThirds * p.Y) * Ct);
  p.FinishInverse(692, status);
}

constexpr double kUrmaevVn = 0.8;
constexpr double kUrmaevValpha = 0.414524;
constexpr double kUrmaevVq = 0.13817466666666667;  // alpha/3
double UrmaevVm() { return std::pow(3.0, 0.25) * 2 / 3; }  // 2*3^(1/4)/3

void UrmaevVForward(TGxProjectionL& p, int /*row*/) {
  if (!BeginForward(p, 721)) return;
  const double m = UrmaevVm();
  const double t = SafeArcSin(kUrmaevVn * std::sin(p.Y));
  p.X = m * p.X * std::cos(p.Y);
  p.Y = t * (1 + kUrmaevValpha * t * t / 3) / (kUrmaevVn * m);
  EndForward(p);
}

// q*t^3 + t = v in closed form (Cardano); the cube root's base
// q^2*(12*sqrt(3)*s1 + 108*v) is positive for every v because 12*sqrt(3)*s1 > 108*|v|.
void UrmaevVInverse(TGxProjectionL& p, int /*row*/) {
  if (!BeginInverse(p, 722)) return;
  const double m = UrmaevVm();
  const int status = std::fabs(p.Y) > kHalfPi ? 3 : 0;
  constexpr double q = kUrmaevVq;
  const double v = p.Y * m * kUrmaevVn;
  const double s1 = std::sqrt((27 * q * v * v + 4) / q);
  const double w = std::pow(q * q * (12 * std::numbers::sqrt3 * s1 + 108 * v), kOneThird);
  const double t = (w / q) * (1.0 / 6.0) - 2 / w;
  p.Y = SafeArcSin(std::sin(t) / kUrmaevVn);
  p.X = p.X / std::cos(p.Y) / m;
  p.FinishInverse(722, status);
}

// ---- Nell and Foucaut sinusoidal ------------------------------------------------

void NellForward(TGxProjectionL& p, int /*row*/) {
  if (!BeginForward(p, 631)) return;
  const double phi = p.Y;
  const double k = 2 * std::sin(phi);
  double t = phi * (1.00371 + phi * phi * (-0.0935382 + phi * phi * (-0.011412)));
  for (int pass = 0; pass < 11; ++pass) {
    const double V = (std::sin(t) + t - k) / (std::cos(t) + 1);
    t -= V;
    if (std::fabs(V) < 1e-9) break;
  }
  p.X = (1 + std::cos(t)) * p.X / 2;
  p.Y = t;
  EndForward(p);
}

void NellInverse(TGxProjectionL& p, int /*row*/) {
  if (!BeginInverse(p, 632)) return;
  p.X = 2 * p.X / (1 + std::cos(p.Y));
  p.Y = SafeArcSin((p.Y + std::sin(p.Y)) / 2);
  p.FinishInverse(632, 0);
}

// Solves n*phi + (1 - n)*sin phi = y for n in (0, 2], n != 1. The left side
// rises on [-pi/2, pi/2] for every such n; on [0, pi/2] it is concave for
// n < 1 and convex for n > 1, so Newton's method started at 0 (n < 1) or at the
// pole (n > 1) approaches the root from one side and never leaves the interval
// nor meets a zero slope. A y at or beyond the pole's value gives the pole,
// which FinishInverse then refuses. 50 passes: for small n the steps near the
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

void FoucautSinusoidalForward(TGxProjectionL& p, int /*row*/) {
  if (!BeginForward(p, 571)) return;
  const double n = p.Other;
  const double phi = p.Y;
  const double cp = std::cos(phi);
  p.X = p.X * cp / (n + (1 - n) * cp);
  p.Y = n * phi + (1 - n) * std::sin(phi);
  EndForward(p);
}

// n = 1 is the sinusoidal (the latitude is y itself) and n = 0 has the
// closed form arcsin y; every other accepted n is solved for, so that the
// inverse undoes the forward whatever blend the user sets. n outside 0 to 2
// (or NaN) is refused with 575; the arcsine then only fills the pair.
void FoucautSinusoidalInverse(TGxProjectionL& p, int /*row*/) {
  if (!BeginInverse(p, 572)) return;
  const double n = p.Other;
  const bool accepted = n >= 0 && n <= 2;
  const int status = accepted ? 0 : 3;
  if (n == 1) {
    // the unit y is the latitude
  } else if (accepted && n != 0) {
    p.Y = FoucautLatitude(n, p.Y);
  } else {
    p.Y = SafeArcSin(p.Y);
  }
  const double cp = std::cos(p.Y);
  p.X = p.X * ((1 - n) * cp + n) / cp;
  p.FinishInverse(572, status);
}

// ---- Fahey -----------------------------------------------------------------------

constexpr double kFaheyCy = 1.819152;
constexpr double kFaheyCx = 0.819152;

void FaheyForward(TGxProjectionL& p, int /*row*/) {
  if (!BeginForward(p, 561)) return;
  const double t = std::tan(p.Y / 2);
  p.Y = kFaheyCy * t;
  p.X = kFaheyCx * p.X * SafeSqrt(1 - t * t);
  EndForward(p);
}

// Its own range tests: 563 longitude, 564 latitude, 565 at the pole; a failure
// leaves the unit x and w = 1 - t^2 in the pair.
void FaheyInverse(TGxProjectionL& p, int /*row*/) {
  if (!BeginInverse(p, 562)) return;
  int status = 0;
  p.Y = p.Y / kFaheyCy;
  const double phi = 2 * std::atan(p.Y);
  p.Y = 1 - p.Y * p.Y;
  double lambda;
  if (p.Y < 1e-9) {
    status = 3;
    lambda = 0;
  } else {
    lambda = p.X / (kFaheyCx * std::sqrt(p.Y));
  }
  if (lambda > kPi || lambda < -kPi) status = 1;
  if (phi > kHalfPi || phi < -kHalfPi) status = 2;
  if (status == 0) {
    p.SetError(0);
    p.X = lambda + p.Theta;
    p.Y = phi;
  } else {
    p.SetError(562 + status);
  }
}

// ---- Loximuthal ----------------------------------------------------------------

// Phi0 is the central latitude. A ratio of tangents that is not a positive
// number (Phi0 beyond a pole) has no logarithm: the point goes to the central
// meridian, as the inverse has always done in that case.
void LoximuthalForward(TGxProjectionL& p, int /*row*/) {
  if (!BeginForward(p, 611)) return;
  const double phi1 = p.Phi0;
  const double phi = p.Y;
  const double dy = phi - phi1;
  if (std::fabs(dy) < 1e-9) {
    p.X = p.X * std::cos(phi1);
  } else {
    const double q = phi / 2 + kPi / 4;
    const double ratio = std::tan(q) / std::tan(phi1 / 2 + kPi / 4);
    if (std::fabs(q) < 1e-9 || std::fabs(std::fabs(q) - kHalfPi) < 1e-9 || !(ratio > 0))
      p.X = 0;
    else
      p.X = p.X * dy / std::log(ratio);
  }
  p.Y = dy;
  EndForward(p);
}

// With Phi0 at the south pole the tangent ratio is infinite and the forward
// puts every point on the central meridian; x = 0 then means that meridian
// (it used to give 0*inf = NaN, reported as success).
void LoximuthalInverse(TGxProjectionL& p, int /*row*/) {
  if (!BeginInverse(p, 612)) return;
  const double phi1 = p.Phi0;
  const double t1 = std::tan(phi1 / 2 + kPi / 4);
  const double phi = p.Y + phi1;
  double lambda;
  if (std::fabs(p.Y) < 1e-9) {
    lambda = p.X / std::cos(phi1);
  } else {
    const double q = phi / 2 + kPi / 4;
    if (std::fabs(q) < 1e-9 || std::fabs(std::fabs(q) - kHalfPi) < 1e-9 || std::fabs(q) > 1e30) {
      lambda = 0;
    } else {
      const double r = std::tan(q) / t1;
      lambda = r > 0 && p.X != 0 ? std::log(r) * p.X / p.Y : 0;
    }
  }
  p.X = lambda;
  p.Y = phi;
  p.FinishInverse(612, 0);
}

// ---- Collignon -------------------------------------------------------------------

constexpr double kCollignonCx = 1.1283791670955125740;  // 2/sqrt(pi)
constexpr double kCollignonCy = 1.7724538509055160273;  // sqrt(pi)

// Success sets no code: the dispatcher's 0 stands and OnError stays quiet.
void CollignonForward(TGxProjectionL& p, int /*row*/) {
  if (p.NotReady(471)) return;
  gx::pseudo::FoldLatitude(p);
  p.WrapLongitude();
  double s = 1 - std::sin(p.Y);
  s = s > 0 ? std::sqrt(s) : 0;
  p.X = p.X0 + (p.X - p.Theta) * kCollignonCx * p.Radius * s;
  p.Y = p.Y0 - (1 - s) * kCollignonCy * p.Radius;
}

// Statuses 1 above the top, 2 no latitude, 3 longitude; a failure leaves the
// pixel in X, Y. At the north pole the width is 0: the pixel straight at the
// pole is the central meridian there (it used to give 0/0 = NaN as success),
// any other pixel of that row is beyond the map.
void CollignonInverse(TGxProjectionL& p, int /*row*/) {
  if (p.NotReady(472)) return;
  int status = 0;
  const double R = p.Radius;
  const double v = (p.Y0 - p.Y) / (kCollignonCy * R) - 1;
  if (v > 0) status = 1;
  const double w = 1 - v * v;
  double phi;
  if (std::fabs(w) > 1) {
    status = 2;
    phi = w;
  } else {
    phi = SafeArcSin(w);
  }
  const double dx = p.X - p.X0;
  const double lambda = dx == 0 ? 0.0 : dx / (kCollignonCx * R * std::sqrt(1 - std::sin(phi)));
  if (OutOfRange(lambda, -kPi, kPi)) status = 3;
  if (status == 0) {
    p.X = lambda + p.Theta;
    p.Y = phi;
    p.SetError(0);
  } else {
    p.SetError(472 + status);
  }
}

constexpr KindRoutines kSecondFileRoutines[] = {
    {mpQuarticAu, SineTangentKindForward, SineTangentKindInverse, 0},
    {mpMcBrydeSin, SineTangentKindForward, SineTangentKindInverse, 1},
    {mpKavraiskyV, SineTangentKindForward, SineTangentKindInverse, 2},
    {mpFoucaut, SineTangentKindForward, SineTangentKindInverse, 3},
    {mpWagnerI, SineFactorForward, SineFactorInverse, 0},
    {mpWagnerII, SineFactorForward, SineFactorInverse, 1},
    {mpUrmaev, SineFactorForward, SineFactorInverse, 2},
    {mpMcBrydeSin2, McBrydeSinusoidalForward, McBrydeSinusoidalInverse, 0},
    {mpMcBrydeP, McBrydeParabolicForward, McBrydeParabolicInverse, 0},
    {mpMcBrydeQ, McBrydeQuarticForward, McBrydeQuarticInverse, 0},
    {mpWagnerIII, WagnerIIIForward, WagnerIIIInverse, 0},
    {mpUrmaevV, UrmaevVForward, UrmaevVInverse, 0},
    {mpNell, NellForward, NellInverse, 0},
    {mpFoucautS, FoucautSinusoidalForward, FoucautSinusoidalInverse, 0},
    {mpFahey, FaheyForward, FaheyInverse, 0},
    {mpLoximuthal, LoximuthalForward, LoximuthalInverse, 0},
    {mpCollignon, CollignonForward, CollignonInverse, 0},
};
static_assert(std::size(kSecondFileRoutines) == gx::pseudo::kSecondFileKindCount);

}  // namespace

std::span<const KindRoutines> gx::pseudo::SecondFileRoutines() { return kSecondFileRoutines; }
