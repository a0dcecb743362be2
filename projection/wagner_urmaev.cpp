// Wagner's and Urmaev's pseudocylindricals: the sine-factor family (Wagner
// I, Wagner II, Urmaev), Wagner III and Urmaev V.
//
// Each forward works on the unit sphere after the frame's latitude fold and
// longitude wrap; each inverse finds the latitude from the row alone and
// ends with the range check of Finish. Codes: F not ready (forward), F + 1
// not ready (inverse), F + 1 + 1 longitude and + 2 latitude out of range,
// + 3 the row beyond the map.
#include <cmath>
#include <numbers>

#include "projection/Kernel.h"

namespace gx {
namespace {


// ---- Sine-factor family: sin t = c sin(m phi), x = Cx lambda cos t, y = Cy t --

// Wagner I keeps the y factor it has always had (1.139753528477, the Urmaev
// value, not 1.316...): forward and inverse agree on it, so maps stay usable.
// Urmaev takes c from Other and tests the inverse's range on t = y/Cy.
struct SineFactorRow {
  double Cx, Cy, c, m;
  bool FactorFromOther;
  int F;
};
constexpr SineFactorRow kSineFactorRows[] = {
    {0.8773826753, 1.139753528477, 0.8660254037844386469, 1.0, false, 711},  // Wagner I, c = sqrt(3)/2
    {0.92483, 1.38725, 0.88022, 0.8855, false, 681},                        // Wagner II
    {0.8773826753, 1.139753528477, 0.0, 1.0, true, 701},                    // Urmaev, c = Other
};

// The factor the kernels use.
struct SineFactorConstants {
  double c;
};

// Urmaev's factor lies in (0, 1]; the clamped value is written back to
// Other, so that the parameter shown is the one drawn with. NaN counts as
// not above 0.
void PrepareSineFactor(Prepared& k) {
  const SineFactorRow& r = kSineFactorRows[k.Row()];
  double c = r.c;
  if (r.FactorFromOther) {
    c = k.other;
    if (!(c > 0))
      c = 0.0001;
    else if (c > 1)
      c = 1;
  }
  k.SetFamily(SineFactorConstants{c});
}

Out UsingFactor(const Prepared& k, Out o) {
  if (kSineFactorRows[k.Row()].FactorFromOther) {
    o.effects |= kWritesOther;
    o.iterAux = k.Family<SineFactorConstants>().c;
  }
  return o;
}

Out SineFactorForward(const Prepared& k, double lambda, double phi) {
  const SineFactorRow& r = kSineFactorRows[k.Row()];
  const double t = SafeArcSin(k.Family<SineFactorConstants>().c * std::sin(r.m * phi));
  return UsingFactor(k, k.ToPixels(r.Cx * (lambda - k.theta) * std::cos(t), r.Cy * t));
}

void SineFactorRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const SineFactorRow& r = kSineFactorRows[k.Row()];
  const double c = k.Family<SineFactorConstants>().c;
  const double v = k.UnitY(y);
  const double t = v / r.Cy;
  const int status = std::fabs(r.FactorFromOther ? t : v) > kHalfPi ? 3 : 0;
  const double phi = SafeArcSin(std::sin(t) / c) / r.m;
  const double across = r.Cx * std::cos(t);
  ForEachPixel(x0, first, count, out, [&](double x) {
    return UsingFactor(k, k.Finish(r.F + 1, status, k.UnitX(x) / across, phi));
  });
}

// ---- Wagner III ------------------------------------------------------------------
// Other is the standard parallel in radians; 0 gives y = phi.

constexpr int kWagnerIII = 691;

struct WagnerIIIConstants {
  double Ct;
};

void PrepareWagnerIII(Prepared& k) {
  const double n = k.other;
  k.SetFamily(WagnerIIIConstants{std::cos(n) / std::cos(kTwoThirds * n)});
}

Out WagnerIIIForward(const Prepared& k, double lambda, double phi) {
  const double Ct = k.Family<WagnerIIIConstants>().Ct;
  return k.ToPixels(Ct * (lambda - k.theta) * std::cos(kTwoThirds * phi), phi);
}

void WagnerIIIRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const double Ct = k.Family<WagnerIIIConstants>().Ct;
  const double v = k.UnitY(y);
  const int status = std::fabs(v) > kHalfPi ? 3 : 0;
  const double across = std::cos(kTwoThirds * v) * Ct;
  ForEachPixel(x0, first, count, out,
               [&](double x) { return k.Finish(kWagnerIII + 1, status, k.UnitX(x) / across, v); });
}

// ---- Urmaev V -------------------------------------------------------------------

constexpr int kUrmaevV = 721;
constexpr double kUrmaevVn = 0.8;
constexpr double kUrmaevValpha = 0.414524;
constexpr double kUrmaevVq = 0.13817466666666667;  // alpha/3
double UrmaevVm() { return std::pow(3.0, 0.25) * 2 / 3; }  // 2*3^(1/4)/3

Out UrmaevVForward(const Prepared& k, double lambda, double phi) {
  const double m = UrmaevVm();
  const double t = SafeArcSin(kUrmaevVn * std::sin(phi));
  return k.ToPixels(m * (lambda - k.theta) * std::cos(phi),
                    t * (1 + kUrmaevValpha * t * t / 3) / (kUrmaevVn * m));
}

// q t^3 + t = v in closed form (Cardano); the cube root's base
// q^2 (12 sqrt(3) s1 + 108 v) is positive for every v because 12 sqrt(3) s1 > 108 |v|.
void UrmaevVRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const double m = UrmaevVm();
  const double v = k.UnitY(y);
  const int status = std::fabs(v) > kHalfPi ? 3 : 0;
  constexpr double q = kUrmaevVq;
  const double w = v * m * kUrmaevVn;
  const double s1 = std::sqrt((27 * q * w * w + 4) / q);
  const double c = std::pow(q * q * (12 * std::numbers::sqrt3 * s1 + 108 * w), kOneThird);
  const double t = (c / q) * (1.0 / 6.0) - 2 / c;
  const double phi = SafeArcSin(std::sin(t) / kUrmaevVn);
  const double cphi = std::cos(phi);
  ForEachPixel(x0, first, count, out,
               [&](double x) { return k.Finish(kUrmaevV + 1, status, k.UnitX(x) / cphi / m, phi); });
}

// ---- The family's kinds -------------------------------------------------------------

constexpr KindEntry kKinds[] = {
    Pseudocylindrical<SineFactorRows>(mpWagnerI, 0, SineFactorForward, kSineFactorRows[0].F)
        .PreparedBy(PrepareSineFactor),
    Pseudocylindrical<SineFactorRows>(mpWagnerII, 1, SineFactorForward, kSineFactorRows[1].F)
        .PreparedBy(PrepareSineFactor),
    Pseudocylindrical<SineFactorRows>(mpUrmaev, 2, SineFactorForward, kSineFactorRows[2].F)
        .PreparedBy(PrepareSineFactor),
    Pseudocylindrical<WagnerIIIRows>(mpWagnerIII, 0, WagnerIIIForward, kWagnerIII).PreparedBy(PrepareWagnerIII),
    Pseudocylindrical<UrmaevVRows>(mpUrmaevV, 0, UrmaevVForward, kUrmaevV),
};

}  // namespace

std::span<const KindEntry> WagnerUrmaevKinds() { return kKinds; }

}  // namespace gx
