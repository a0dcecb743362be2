// Other world kinds: Winkel I and II, Hammer, Wagner VII, Van der Grinten and
// Robinson. None of them uses the pseudocylindrical entry and exit steps: each
// wraps the longitude itself and has its own outline test.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "projection/Kernel.h"

namespace gx {
namespace {

constexpr double kSqrt2 = std::numbers::sqrt2;

// pi/2 - 1e-9: Van der Grinten's pole nudge and Wagner VII's latitude limit.
constexpr double kNearPole = 1.5707963257948966192;

double Squared(double v) { return v * v; }

// The check of an absolute inverse result. A NaN pixel slips through every
// comparison of the strict check, so it is refused here: no code 0 for it.
bool AcceptAndWrap(const Prepared& k, double& lambda, double phi) {
  return !std::isnan(lambda) && !std::isnan(phi) && k.StrictCheckAndWrap(lambda, phi);
}

// ---- Winkel I and II -------------------------------------------------------------
// y = phi and x = lambda (1 + c(phi)) / 2: the mean of an equirectangular
// parallel and a second one, cos(phi) for Winkel I and the ellipse arc
// sqrt(pi^2 - 4 phi^2) / pi for Winkel II. The latter is not Winkel's published
// second projection (whose y is not linear), but forward and inverse agree on
// it, so the map is drawn and read back consistently; it stays as it is.

struct WinkelRow {
  int forwardNotReady;
  int inverseNotReady;
  int outside;
  bool ellipseArc;  // Winkel II
};

constexpr WinkelRow kWinkel[] = {{130, 131, 137, false}, {160, 161, 167, true}};

Out WinkelForward(const Prepared& k, double lambda, double phi) {
  const WinkelRow& w = kWinkel[k.Row()];
  // Beyond the poles the arc has no length left: such a latitude (which the
  // map never passes) gets the equirectangular half alone rather than a NaN.
  const double c = w.ellipseArc ? SafeSqrt(kPi * kPi - 4 * phi * phi) / kPi : std::cos(phi);
  return k.ToPixels((1 + c) * (lambda - k.theta) / 2, phi);
}

void WinkelRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const WinkelRow& w = kWinkel[k.Row()];
  const double phi = (k.y0 - y) / k.R;
  double c;
  bool noLength = false;
  if (w.ellipseArc) {
    const double q = kPi * kPi - 4 * phi * phi;
    // The top and bottom rows (and anything beyond) have a parallel of no
    // length to divide by; the pixel stays as it was.
    noLength = !(q > 0);
    c = noLength ? 0 : std::sqrt(q) / kPi;
  } else {
    c = std::cos(phi);
  }
  const double across = (1 + c) * k.R;
  ForEachPixel(x0, first, count, out, [&](double x) {
    if (noLength) return Result(x, y, w.outside);
    double lambda = 2 * (x - k.x0) / across + k.theta;
    return Result(lambda, phi, AcceptAndWrap(k, lambda, phi) ? 0 : w.outside);
  });
}

// ---- Hammer (equal-area) ------------------------------------------------------------

Out HammerForward(const Prepared& k, double lambda, double phi) {
  const double h = 0.5 * lambda - 0.5 * k.theta;
  const double D = 1 + std::cos(phi) * std::cos(h);
  // D vanishes only on the antimeridian's far side, which the one-step wrap
  // leaves to longitudes more than 3 pi away; NaN input lands here as well.
  if (!(D > 0)) return Result(lambda, phi, 218);
  const double c = kSqrt2 / std::sqrt(D);
  return k.ToPixels(2 * c * std::cos(phi) * std::sin(h), c * std::sin(phi));
}

Out HammerInverse(const Prepared& k, double x, double y) {
  // The inverse has always wanted a radius of at least one pixel, although
  // the forward draws with less; a map that small shows no colour anyway.
  if (!(k.R >= 1)) return Result(x, y, 211);
  const double u = k.UnitX(x), v = k.UnitY(y);
  // Between the map's ellipse and z2 = 0 the longitude comes out beyond
  // lambda0 +- pi, past it as lambda0 +- 2 pi: the range check rejects both.
  const double z = SafeSqrt(1 - Squared(u / 4) - Squared(v / 2));
  double lambda = 2 * std::atan2(u * z, 2 - u * u / 4 - v * v) + k.theta;
  const double phi = SafeArcSin(v * z);
  return Result(lambda, phi, AcceptAndWrap(k, lambda, phi) ? 0 : 217);
}

// ---- Wagner VII ---------------------------------------------------------------------
// Hammer's construction on an auxiliary sphere: latitude through
// sin psi = a sin phi, longitude divided by 3, then stretched by cx and cy.

constexpr double kWagnerA = 0.90631;
constexpr double kWagnerCx = 2.66723;
constexpr double kWagnerCy = 1.24104;
constexpr double kWagnerACy = 1.1247669624;  // a * cy

Out WagnerVIIForward(const Prepared& k, double lambda, double phi) {
  const double third = (lambda - k.theta) / 3;
  const double s = kWagnerA * std::sin(phi);
  const double cw = std::sqrt(1 - s * s);
  const double d = std::sqrt(2 / (1 + cw * std::cos(third)));
  return k.ToPixels(kWagnerCx * cw * d * std::sin(third), kWagnerCy * s * d);
}

Out WagnerVIIInverse(const Prepared& k, double x, double y) {
  const double R = k.R;
  const double xr = x - k.x0, yr = k.y0 - y;
  const double rho = std::sqrt(Squared(kSqrt2 * xr / 4) + Squared(kSqrt2 * yr / 2.5)) / R;
  if (!(rho <= 1)) return Result(0, 0, 343);
  const double w = std::sqrt(Squared(xr / kWagnerCx) + Squared(yr / kWagnerCy));
  const double theta = 2 * SafeArcSin(w / (2 * R));
  double phi = 0;
  if (std::fabs(yr) >= 1e-8) phi = SafeArcSin(std::sin(theta) * yr / (kWagnerACy * w));
  double lambda = k.theta;
  if (std::fabs(xr) >= 1e-9) lambda += 3 * std::atan2(std::tan(theta) * xr, kWagnerCx * w);
  // Above the pole the latitude clamps to +-pi/2, beside the outline the
  // longitude passes lambda0 +- pi: both are off the map.
  const double dl = lambda - k.theta;
  const bool off = std::fabs(phi) > kNearPole || (xr > 0 && dl > kPi) || (xr < 0 && dl < -kPi);
  return Result(lambda, phi, off ? 343 : 0);
}

// ---- Van der Grinten ---------------------------------------------------------------
// The whole sphere in a circle of radius pi. Forward by Snyder's closed
// forms, inverse by the trigonometric solution of the cubic in the latitude.

// A point it cannot place is refused with 248 and (-1, -1); a refusal for
// want of parameters reports 240 and then 248 as well.
Out GrintenForward(const Prepared& k, double lambda, double phi) {
  // The pole itself makes theta = pi/2, where the closed form divides 0 by 0.
  if (phi > kNearPole)
    phi -= 1e-9;
  else if (phi < -kNearPole)
    phi += 1e-9;
  const double f = std::fabs(2 * phi / kPi);
  if (std::fabs(phi) < 1e-9) return k.ToPixels(lambda - k.theta, 0);
  if (f > 0 && f < 1) {
    // A latitude beyond the pole (or NaN) has no theta and falls to 248.
    double theta = SafeArcSin(f);
    // A zero longitude difference makes A infinite; a theta at 0 or pi/2
    // makes G divide by zero.
    if (std::fabs(lambda - k.theta) < 1e-9) lambda += 1e-9;
    const double dl = lambda - k.theta;
    if (std::fabs(std::sin(theta) + std::cos(theta) - 1) < 1e-9) theta += 1e-10;
    const double st = std::sin(theta), ct = std::cos(theta);
    const double A = std::fabs(kPi / dl - dl / kPi) / 2;
    const double G = ct / (st + ct - 1);
    const double P = G * (2 / st - 1);
    const double A2 = A * A, G2 = G * G, P2 = P * P;
    // Snyder's x = pi (A (G - P^2) + sqrt(A^2 (G - P^2)^2 - (P^2 + A^2)(G^2 - P^2)))
    //              / (P^2 + A^2)
    // subtracts two nearly equal terms near the equator (G, P large) and
    // the central meridian (A large), and a y derived from that x cancels
    // once more: points on the central meridian below about 0.35 degrees
    // came out far off, some at the pole, and latitudes below about 0.001
    // degrees were refused as not projectable. The same values, multiplied
    // through by their conjugates, keep only sums of non-negative terms
    // (G >= 1 and P >= G on the whole sphere):
    //   x = pi (P^2 - G^2) / (A (P^2 - G) + sqrt(A^2 (P^2 - G)^2 + (P^2 + A^2)(P^2 - G^2)))
    //   y = pi (A^2 (2G - 1) + G^2) / (P (A^2 + G) + A sqrt(A^2 (P^2 - 2G + 1) + P^2 - G^2))
    const double PG = P2 - G, PG2 = P2 - G2;
    double xo = kPi * PG2 / (A * PG + SafeSqrt(A2 * PG * PG + (P2 + A2) * PG2));
    const double yo = kPi * (A2 * (2 * G - 1) + G2) /
                      (P * (A2 + G) + A * SafeSqrt(A2 * (P2 - 2 * G + 1) + PG2));
    if (dl < 0) xo = -xo;
    if (!std::isnan(xo) && !std::isnan(yo)) return k.ToPixels(xo, phi >= 0 ? yo : -yo);
  }
  return Result(-1, -1, 248);
}

Out GrintenInverse(const Prepared& k, double x, double y) {
  const double R = k.R;
  const double xr = x - k.x0, yr = k.y0 - y;
  const double rho = std::sqrt(xr * xr + yr * yr);
  if (!(rho <= kPi * R - 1e-8)) return Result(0, 0, 247);
  // The centre: the cubic degenerates there. No code is set, no event.
  if (rho < 1e-9) return Quiet(k.theta, 0);
  const double x1 = xr / (kPi * R), y1 = yr / (kPi * R);
  const double r2 = x1 * x1 + y1 * y1;
  const double c1 = -std::fabs(y1) * (1 + r2);
  const double c2 = c1 - 2 * y1 * y1 + x1 * x1;
  const double c3 = -2 * c1 + 1 + 2 * y1 * y1 + r2 * r2;
  const double d =
      y1 * y1 / c3 + (2 * c2 * c2 * c2 / (c3 * c3 * c3) - 9 * c1 * c2 / (c3 * c3)) / 27;
  const double a1 = (c1 - c2 * c2 / (3 * c3)) / c3;
  const double m1 = 2 * std::sqrt(-a1 / 3);
  double t = 3 * d / (a1 * m1);
  // Rounding pushes t past +-1 on the equator.
  if (t > 1)
    t = 1;
  else if (t < -1)
    t = -1;
  const double theta1 = std::acos(t) / 3;
  double phi = kPi * (-m1 * std::cos(theta1 + kPi / 3) - c2 / (3 * c3));
  if (yr < 0) phi = -phi;
  double lambda = k.theta;
  if (std::fabs(x1) >= 1e-8)
    lambda += kPi * (r2 - 1 + std::sqrt(1 + 2 * (x1 * x1 - y1 * y1) + r2 * r2)) / 2 / x1;
  return Result(lambda, phi);
}

// ---- Robinson -------------------------------------------------------------------------
// Robinson's published table, kept in single precision as it was delivered.
// Row k + 1 belongs to the latitude 5k degrees; row 0 mirrors 5 degrees so
// that the equator's node has a neighbour below. x is 0.9858 times the
// parallel-length column, y the distance from the equator as a fraction of the
// pole's.
constexpr float kRobinsonX[20] = {
    0.984419882f, 0.985800028f, 0.984419882f, 0.981265306f, 0.975942016f,
    0.968252778f, 0.959183395f, 0.946367979f, 0.92931366f,  0.908513308f,
    0.883473933f, 0.8555758f,   0.823143005f, 0.787259877f, 0.748912275f,
    0.708395898f, 0.663640559f, 0.612477541f, 0.564074755f, 0.524642766f};
constexpr float kRobinsonY[20] = {
    -0.062f, 0.0f,    0.062f,  0.124f,  0.186f,  0.248f,  0.31f,
    0.372f,  0.434f,  0.4958f, 0.5571f, 0.6176f, 0.6769f, 0.7346f,
    0.7903f, 0.8435f, 0.8936f, 0.9394f, 0.9761f, 1.0f};

// The degree of the original tables, short by 4.6e-12 relative: 90 degrees
// come out as node 18 with an offset of -8e-11, not exactly 0.
constexpr double kRobinsonDegree = 0.01745329252;
constexpr int kPoleNode = 18;
// Nodes switch a hair above the half-way latitudes: 2.5 degrees belongs to
// the equator's node.
constexpr double kNodeShift = 1e-7;
// Robinson's cut-off, 1.35 R from the centre line (about 71.6 degrees).
constexpr double kCutOffHeight = 1.35;

// A node's parabola c0 + c1 p + c2 p^2, p the offset from the node's latitude
// in 5-degree steps. Nodes 0..17 use Stirling's three-point form about row
// i + 1. The pole node has no row beyond 90 degrees, so it keeps the parabola
// through 80, 85 and 90 degrees, written about the pole row: that is exactly
// the 90-degree row at p = 0, and the same curve as node 17 on its upper
// half, so there is no step at 87.5 degrees.
struct Parabola {
  double c0, c1, c2;
  double At(double p) const { return c0 + p * c1 + p * p * c2; }
};

Parabola RobinsonNode(const float (&T)[20], int i) {
  if (i < kPoleNode) {
    const double lo = T[i], mid = T[i + 1], hi = T[i + 2];
    return {mid, (hi - lo) / 2, (hi - 2 * mid + lo) / 2};
  }
  const double lo = T[17], mid = T[18], hi = T[19];
  return {hi, (3 * hi - 4 * mid + lo) / 2, (hi - 2 * mid + lo) / 2};
}

// The largest offset the forward gives a node: a half-step and the shift,
// and nothing beyond the pole.
double RobinsonTopOffset(int i) { return i < kPoleNode ? 0.5 + kNodeShift : 0.0; }

// 260 not ready, 262 beyond the table or cut off; both leave (-1, -1).
Out RobinsonForward(const Prepared& k, double lambda, double phi) {
  const double t = std::fabs(phi / 5 / kRobinsonDegree);
  // The table ends at the pole: a latitude beyond it (which only a caller
  // outside the map can pass), or NaN, is beyond every cut-off. The margin
  // lets the pole of the inverse, 90 short degrees, back in.
  if (!(t <= kPoleNode + kNodeShift)) return Result(-1, -1, 262);
  const int i = static_cast<int>(std::nearbyint(t - kNodeShift));  // ties to even
  const double off = t - i;
  const double v = kHalfPi * RobinsonNode(kRobinsonY, i).At(off);
  const Out o = k.ToPixels(RobinsonNode(kRobinsonX, i).At(off) * (lambda - k.theta), phi >= 0 ? v : -v);
  const bool cut = k.cutOff && std::fabs(k.y0 - o.y) / kCutOffHeight >= k.R;
  return cut ? Result(-1, -1, 262) : o;
}

// The latitude comes from solving the forward's own parabola for the pixel's
// height, so a projected point reads back as itself. (The inverse this
// replaces took 0.91 times a first estimate that its loop never improved:
// 45 degrees read back as 45.6, 70 as 69.2.) The latitude and the length of
// its parallel depend on the row alone, so a row solves them once and each
// pixel only divides its distance from the centre line by that length.
// 261 not ready; 267 off the map, 266 cut off (the pixel stays).
void RobinsonRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const double yr = k.y0 - y;
  const double R = k.R;
  const auto refuse = [&](int code) {
    ForEachPixel(x0, first, count, out, [&](double x) { return Result(x, y, code); });
  };
  if (!(2 * std::fabs(yr) / kPi <= R)) return refuse(267);
  // The band between the cut-off and the pole line is refused only when the
  // forward cuts there too; otherwise the colour would stop at 71.6 degrees
  // while the graticule and the coasts go on to the poles.
  if (k.cutOff && std::fabs(yr) / kCutOffHeight > R) return refuse(266);

  // |s| <= 1 here, so the first estimate is a node number (fmin also turns
  // the NaN of an infinite radius into one; that pixel fails the outline
  // check). The forward's parabolas rise with the node; between two of them
  // they leave a gap of up to 6e-4, or an overlap of rounding size. The node
  // is the lowest whose top reaches |s|.
  const double as = std::fmin(std::fabs(2 * yr / (kPi * R)), 1.0);
  int i = static_cast<int>(std::nearbyint(90 * as / 5));
  while (i > 0 && as <= RobinsonNode(kRobinsonY, i - 1).At(RobinsonTopOffset(i - 1))) --i;
  while (i < kPoleNode && as > RobinsonNode(kRobinsonY, i).At(RobinsonTopOffset(i))) ++i;

  // c0 + c1 p + c2 p^2 = |s|, the root near 0 in the form that keeps its
  // digits when c2 is small; c1 is at least 0.027 on every node.
  const Parabola py = RobinsonNode(kRobinsonY, i);
  const double e = as - py.c0;
  double off = 2 * e / (py.c1 + SafeSqrt(py.c1 * py.c1 + 4 * py.c2 * e));
  if (off < -0.5 && i > 0) {
    // In a gap: read back to the top of the node below, with that node's x
    // table, just as the forward draws the half-way latitude.
    --i;
    off = 0.5;
  }
  off = std::clamp(off, -0.5, RobinsonTopOffset(i));
  const double phiAbs = (i + off) * 5 * kRobinsonDegree;
  const double phi = yr < 0 ? -phiAbs : phiAbs;
  const double parallel = RobinsonNode(kRobinsonX, i).At(off);
  // Beside the outline the longitude passes lambda0 +- pi; folded, it lands
  // on the map's other side, which the outline check catches: the frame
  // projects the point back through Forward and refuses the pixel with 267
  // when it lands elsewhere. Well inside (within 3 of the 3.14 radians, the
  // central meridian within half a turn of 0, and a radius whose map
  // overflows nothing) the forward lands back on the pixel up to the
  // difference between two nodes' tables at a half-way latitude, a
  // thousandth of the pixel's distance from the centre line, where the
  // check allows a quarter of the map's width; and untilted, the forward's
  // code depends on the latitude alone.
  const bool plain = !k.tilted && std::fabs(k.theta) <= kPi && R <= 1e150;
  ForEachPixel(x0, first, count, out, [&](double x) {
    const double xr = x - k.x0;
    const double u = (xr / R) / parallel;
    Out o = Result(FoldLongitude(u + k.theta), phi, 267);
    o.effects = plain && std::fabs(u) <= 3 ? kChecksOutline | kInsideOutline : kChecksOutline;
    return o;
  });
}

constexpr KindEntry kKinds[] = {
    Kind(mpWinkelI, 0, WinkelForward, InverseThroughRow<WinkelRows>, WinkelRows,
         kWinkel[0].forwardNotReady, kWrapsLongitude)
        .WithCodes(kWinkel[0].forwardNotReady, kWinkel[0].inverseNotReady),
    Kind(mpWinkelII, 1, WinkelForward, InverseThroughRow<WinkelRows>, WinkelRows,
         kWinkel[1].forwardNotReady, kWrapsLongitude)
        .WithCodes(kWinkel[1].forwardNotReady, kWinkel[1].inverseNotReady),
    Kind(mpHammer, 0, HammerForward, HammerInverse, nullptr, 210, kWrapsLongitude),
    Kind(mpWagnerVII, 0, WagnerVIIForward, WagnerVIIInverse, nullptr, 340, kWrapsLongitude)
        .Leaving(Leaves::MinusOne, Leaves::Zero),
    Kind(mpGrinten, 0, GrintenForward, GrintenInverse, nullptr, 240, kWrapsLongitude)
        .Leaving(Leaves::MinusOne, Leaves::Zero)
        .AlsoRefusing(248),
    Kind(mpRobinson, 0, RobinsonForward, InverseThroughRow<RobinsonRows>, RobinsonRows, 260,
         kWrapsLongitude)
        .Leaving(Leaves::MinusOne, Leaves::Input),
};

}  // namespace

std::span<const KindEntry> WorldKinds() { return kKinds; }

}  // namespace gx
