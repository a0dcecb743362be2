// The McBryde-Thomas pseudocylindricals (sinusoidal, parabolic, quartic) and
// the sine-tangent family (quartic authalic, McBryde-Thomas sine 1, Kavraisky
// V, Foucaut). McBryde-Thomas sine 2 belongs to the auxiliary-angle family
// in pseudocylindrical.cpp.
//
// Each forward works on the unit sphere after the frame's latitude fold and
// longitude wrap; each inverse finds the latitude from the row alone and
// ends with the range check of Finish. Codes: F not ready (forward), F + 1
// not ready (inverse), F + 1 + 1 longitude and + 2 latitude out of range,
// + 3 the row beyond the map, + 4 no auxiliary angle, + 5 no latitude.
#include <cmath>

#include "projection/Kernel.h"

namespace gx {
namespace {


// ---- Sine-tangent family ------------------------------------------------------
// Sine mode: x = (q/p) lambda cos phi / cos(phi/q), y = p sin(phi/q).
// Tangent mode: x = (q/p) lambda cos phi cos^2(phi/q), y = p tan(phi/q).

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

Out SineTangentForward(const Prepared& k, double lambda, double phi) {
  const SineTangentRow& r = kSineTangentRows[k.Row()];
  double u = (r.Q / r.P) * (lambda - k.theta) * std::cos(phi);
  const double w = phi / r.Q;
  const double cw = std::cos(w);
  if (r.Mode == SineTangentMode::Sine) return k.ToPixels(u / cw, r.P * std::sin(w));
  u = u * cw * cw;
  return k.ToPixels(u, r.P * std::tan(w));
}

void SineTangentRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const SineTangentRow& r = kSineTangentRows[k.Row()];
  const double v = k.UnitY(y) / r.P;
  const double w = r.Mode == SineTangentMode::Tangent ? std::atan(v) : SafeArcSin(v);
  const double cw = std::cos(w);
  const double phi = w * r.Q;
  const double across = std::cos(phi) * (r.Q / r.P);
  ForEachPixel(x0, first, count, out, [&](double x) {
    double lambda = k.UnitX(x) / across;
    if (r.Mode == SineTangentMode::Tangent)
      lambda = lambda / (cw * cw);
    else
      lambda = lambda * cw;
    return k.Finish(r.F + 1, 0, lambda, phi);
  });
}

// ---- McBryde-Thomas sinusoidal, parabolic and quartic ---------------------------

constexpr int kSinusoidal = 731, kParabolic = 741, kQuartic = 751;

Out McBrydeSinusoidalForward(const Prepared& k, double lambda, double phi) {
  const double c = 1.41546 * std::sin(phi);
  double t = phi;
  for (int pass = 0; pass < 11; ++pass) {
    const double t2 = t / 1.36509;
    const double V = (0.45503 * std::sin(t2) + std::sin(t) - c) / (std::cos(t2) * kOneThird + std::cos(t));
    t -= V;
    if (std::fabs(V) < 1e-7) break;
  }
  const double t2 = t / 1.36509;
  return k.ToPixels(0.22248 * (lambda - k.theta) * (1 + 3 * std::cos(t) / std::cos(t2)),
                    1.44492 * std::sin(t2));
}

void McBrydeSinusoidalRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const double s = SafeArcSin(k.UnitY(y) / 1.44492);
  const double t = 1.36509 * s;
  const int status = std::fabs(t) > kHalfPi ? 3 : 0;
  const double across = 0.22248 * (1 + 3 * std::cos(t) / std::cos(s));
  const double phi = SafeArcSin((0.45503 * std::sin(s) + std::sin(t)) / 1.41546);
  ForEachPixel(x0, first, count, out,
               [&](double x) { return k.Finish(kSinusoidal + 1, status, k.UnitX(x) / across, phi); });
}

constexpr double kParabolicCS = 0.95257934441568037153;
constexpr double kParabolicFXC = 0.92582009977255146159;
constexpr double kParabolicFYC = 3.4016802570830450448;

Out McBrydeParabolicForward(const Prepared& k, double lambda, double phi) {
  const double t = SafeArcSin(kParabolicCS * std::sin(phi));
  return k.ToPixels(kParabolicFXC * (lambda - k.theta) * (2 * std::cos(kTwoThirds * t) - 1),
                    kParabolicFYC * std::sin(t / 3));
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

// After statuses 4 and 5 the unclamped argument is left where the angle
// would be.
void McBrydeParabolicRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const double v = k.UnitY(y);
  int status = std::fabs(v) > kHalfPi ? 3 : 0;
  const double u = ArcSinOrKeep(v / kParabolicFYC, 4, status);
  const double t = 3 * u;
  const double across = kParabolicFXC * (2 * std::cos(kTwoThirds * t) - 1);
  const double phi = ArcSinOrKeep(std::sin(t) / kParabolicCS, 5, status);
  ForEachPixel(x0, first, count, out,
               [&](double x) { return k.Finish(kParabolic + 1, status, k.UnitX(x) / across, phi); });
}

constexpr double kQuarticC = 1.7071067811865475245;     // 1 + sqrt(2)/2
constexpr double kQuarticFXC = 0.3124597141037824925;
constexpr double kQuarticFYC = 1.8747582846226949551;
constexpr double kQuarticRYC = 0.53340209679417701684;  // 1/FYC
constexpr double kQuarticRXC = 3.200412580765062101;    // 1/FXC
constexpr double kQuarticRC = 0.58578643762690495118;   // 1/C = 2 - sqrt(2)

Out McBrydeQuarticForward(const Prepared& k, double lambda, double phi) {
  const double c = kQuarticC * std::sin(phi);
  double t = phi;
  for (int pass = 0; pass < 21; ++pass) {
    const double V = (std::sin(t / 2) + std::sin(t) - c) / (std::cos(t / 2) / 2 + std::cos(t));
    t -= V;
    if (std::fabs(V) < 1e-7) break;
  }
  return k.ToPixels(kQuarticFXC * (lambda - k.theta) * (1 + 2 * std::cos(t) / std::cos(t / 2)),
                    kQuarticFYC * std::sin(t / 2));
}

void McBrydeQuarticRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const double v = k.UnitY(y);
  int status = std::fabs(v) > kHalfPi ? 3 : 0;
  const double s = kQuarticRYC * v;
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
  const double across = 1 + 2 * std::cos(t) / std::cos(t / 2);
  const double phi = ArcSinOrKeep(kQuarticRC * (std::sin(t) + sigma), 5, status);
  ForEachPixel(x0, first, count, out, [&](double x) {
    return k.Finish(kQuartic + 1, status, kQuarticRXC * k.UnitX(x) / across, phi);
  });
}

// ---- The family's kinds -------------------------------------------------------------

constexpr KindEntry kKinds[] = {
    Pseudocylindrical<SineTangentRows>(mpQuarticAu, 0, SineTangentForward, kSineTangentRows[0].F),
    Pseudocylindrical<SineTangentRows>(mpMcBrydeSin, 1, SineTangentForward, kSineTangentRows[1].F),
    Pseudocylindrical<SineTangentRows>(mpKavraiskyV, 2, SineTangentForward, kSineTangentRows[2].F),
    Pseudocylindrical<SineTangentRows>(mpFoucaut, 3, SineTangentForward, kSineTangentRows[3].F),
    Pseudocylindrical<McBrydeSinusoidalRows>(mpMcBrydeSin2, 0, McBrydeSinusoidalForward, kSinusoidal),
    Pseudocylindrical<McBrydeParabolicRows>(mpMcBrydeP, 0, McBrydeParabolicForward, kParabolic),
    Pseudocylindrical<McBrydeQuarticRows>(mpMcBrydeQ, 0, McBrydeQuarticForward, kQuartic),
};

}  // namespace

std::span<const KindEntry> McBrydeThomasKinds() { return kKinds; }

}  // namespace gx
