// The Mollweide family: Mollweide, Wagner IV and the interrupted Mollweide,
// rows of one routine. Each solves sin t + t = K sin phi for the auxiliary
// angle t = 2 theta and draws x = Cx lambda cos theta, y = Cy sin theta; the
// interrupted kind does so on six lobes, each about its own central meridian.
//
// Codes: F not ready (forward), F + 1 not ready (inverse), F + 2 no auxiliary
// angle, F + 3 the pixel lies off the map.
#include <cmath>
#include <numbers>

#include "projection/Kernel.h"

namespace gx {
namespace {

// How a row's inverse tells the map's outline.
enum class Outline : std::uint8_t {
  Ellipse,  // the pixel inside the ellipse; refused pixels leave (0, 0)
  Band,     // |y| within the band and the longitude within pi of Theta
  Lobes,    // the longitude within its lobe
};

struct MollweideRow {
  int F;
  double Cx, Cy;
  double K;           // sin t + t = K sin phi
  int passes;         // Newton passes of the forward
  double tolerance;   // the last step that counts as converged
  bool poleIsPoint;   // the poles are points: x = 0 there
  double thetaLimit;  // the inverse's clamp of sin theta
  Outline outline;
};

constexpr double kMollweideCx = 0.900316316158;   // 2*sqrt(2)/pi
constexpr double kMollweideCy = 1.4142135623731;  // sqrt(2), as the kind has always used it

constexpr MollweideRow kRows[] = {
    {320, kMollweideCx, kMollweideCy, kPi, 51, 1e-9, true, 0.999999999999, Outline::Ellipse},
    {330, 0.8631, 1.56548, 2.9604205062, 31, 1e-9, false, 1.0, Outline::Band},
    // 1e-8 here: this kind has always stopped one digit earlier than Mollweide.
    {350, kMollweideCx, kMollweideCy, kPi, 51, 1e-8, true, 1.0, Outline::Lobes},
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

// Solves sin t + t = c by Newton's method from t = start; false when the
// passes run out. Near the poles the root is threefold, so convergence is
// slow there: the pass limits of the rows allow for it.
bool SolveAngle(double c, double start, int passes, double tolerance, double& t) {
  t = start;
  for (int pass = 0; pass < passes; ++pass) {
    const double V = -(std::sin(t) + t - c) / (std::cos(t) + 1);
    t += V;
    if (std::fabs(V) < tolerance) return true;
  }
  return false;
}

// The interrupted kind does not wrap: its lobe longitude is counted from the
// antimeridian of Theta and folded.
Out MollweideForward(const Prepared& k, double lambda, double phi) {
  const MollweideRow& r = kRows[k.Row()];
  double d = lambda - k.theta;
  float offset = 0;
  if (r.outline == Outline::Lobes) {
    const double a = FoldLongitude(lambda - k.theta + kPi);
    const int j = LobeOf(a, phi >= 0);
    d = a - MollweideLobes[j].Centre;
    if ((j == 1 || j == 4) && a > 0) d -= kTwoPi;  // eastern part of a lobe across the antimeridian
    offset = MollweideLobes[j].Offset;
  }
  double t;
  if (!SolveAngle(r.K * std::sin(phi), phi, r.passes, r.tolerance, t))
    return Result(-1, -1, r.F + 2);
  const double theta = t / 2;
  // Taken before the branch, so that the compiler can pair them into one call.
  const double cosTheta = std::cos(theta), sinTheta = std::sin(theta);
  if (r.poleIsPoint && kHalfPi - std::fabs(phi) < 1e-8) d = 0;
  if (r.outline == Outline::Lobes)
    return Result(k.x0 + k.R * (r.Cx * d * cosTheta + offset), k.y0 - r.Cy * k.R * sinTheta);
  return Result(k.x0 + r.Cx * k.R * d * cosTheta, k.y0 - r.Cy * k.R * sinTheta);
}

void MollweideRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const MollweideRow& r = kRows[k.Row()];
  const double R = k.R;
  const double yr = k.y0 - y;
  const double ey = std::numbers::sqrt2 * yr / 2;
  const double ey2 = ey * ey;
  // The auxiliary angle and the latitude of the row, made when the first
  // pixel inside the outline needs them.
  double across = 0, phi = 0;
  bool made = false;
  const auto rowPart = [&] {
    if (made) return;
    made = true;
    const double bound = r.thetaLimit;
    double s = yr / (r.Cy * R);
    if (s > bound) s = bound;
    else if (s < -bound) s = -bound;
    const double theta = std::asin(s);
    across = r.Cx * R * std::cos(theta);
    phi = SafeArcSin((2 * theta + std::sin(2 * theta)) / r.K);
  };
  const int off = r.F + 3;

  switch (r.outline) {
    case Outline::Ellipse:
      ForEachPixel(x0, first, count, out, [&](double x) {
        const double xr = x - k.x0;
        const double ex = std::numbers::sqrt2 * xr / 4;
        const double rho = std::sqrt(ex * ex + ey2) / R;  // <= 1 inside the ellipse
        if (!(rho <= 1)) return Result(0, 0, off);
        rowPart();
        return Result(k.theta + xr / across, phi);
      });
      break;
    case Outline::Band: {
      const bool inBand = std::fabs(yr) <= 1.3575 * R;
      rowPart();
      ForEachPixel(x0, first, count, out, [&](double x) {
        const double xr = x - k.x0;
        const double lambda = k.theta + xr / across;
        const double dlambda = lambda - k.theta;
        const bool outside = !inBand || (xr > 0 && !(dlambda <= kPi)) || (xr < 0 && !(dlambda >= -kPi));
        return Result(lambda, phi, outside ? off : 0);
      });
      break;
    }
    case Outline::Lobes: {
      const bool inRows = std::fabs(yr) <= std::numbers::sqrt2 * R;
      ForEachPixel(x0, first, count, out, [&](double x) {
        // A refused row leaves the lobe longitude at 0, the antimeridian.
        if (!inRows) return Result(0 - kPi + k.theta, 0, off);
        rowPart();
        double xr = x - k.x0;
        int j;
        if (yr >= 0)
          j = xr <= -1.41421356248 * R ? 0 : xr <= 0.942809042 * R ? 1 : 2;
        else
          j = xr <= -0.942809042 * R ? 3 : xr <= 1.41421356248 * R ? 4 : 5;
        xr -= MollweideLobes[j].Offset * R;
        const double a = xr / across + MollweideLobes[j].Centre;
        const bool outside = OutOfRange(a, kLobeAccepted[j].Low, kLobeAccepted[j].High);
        return Result(a - kPi + k.theta, phi, outside ? off : 0);
      });
      break;
    }
  }
}

constexpr KindEntry Row(TProjection kind, int row, std::uint8_t pre, Leaves inverse) {
  return Kind(kind, row, MollweideForward, InverseThroughRow<MollweideRows>, MollweideRows,
              kRows[row].F, pre)
      .Leaving(Leaves::MinusOne, inverse);
}

constexpr KindEntry kKinds[] = {
    Row(mpMollweide, 0, kFoldsLatitude | kWrapsLongitude, Leaves::Zero),
    Row(mpWagnerIV, 1, kFoldsLatitude | kWrapsLongitude, Leaves::Zero),
    Row(mpIMollweide, 2, kFoldsLatitude, Leaves::Antimeridian).Lopsided(),
};

}  // namespace

std::span<const KindEntry> MollweideKinds() { return kKinds; }

}  // namespace gx
