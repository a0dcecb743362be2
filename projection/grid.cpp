// The three affine grid kinds (UTM, local UTM, national grid). Their six
// coefficients live in the parameter fields, used as stored:
//   x = Ca E + Cb N + Cc,  y = Cd N + Ce E + Cf
// with Ca..Cf = Radius, Theta, Phi0, Phi1, Phi2, X0. Only Ready guards them;
// the radius is a coefficient here, not a size. The frame neither converts
// their values between degrees and radians nor tilts them.
#include <cmath>

#include "projection/Kernel.h"

namespace gx {
namespace {

constexpr int kGrid = 152;  // 152 not ready (forward), 153 not ready or singular (inverse)

// Success sets no code: the frame's 0 stands and no OnError fires.
Out GridForward(const Prepared& k, double E, double N) {
  return Quiet(k.R * E + k.theta * N + k.phi0, k.phi1 * N + k.phi2 * E + k.x0);
}

Out GridInverse(const Prepared& k, double x, double y) {
  const double Ca = k.R, Cb = k.theta, Cc = k.phi0, Cd = k.phi1, Ce = k.phi2, Cf = k.x0;
  const double det = Ca * Cd - Ce * Cb;
  // A singular (or NaN) grid has no inverse: report it like a grid that is
  // not ready and leave the pixel as it came.
  if (!(std::fabs(det) > 0)) return Result(x, y, kGrid + 1);
  return Result((x * Cd - Cb * y + Cb * Cf - Cc * Cd) / det, (Ca * y - Ce * x + Ce * Cc - Ca * Cf) / det);
}

constexpr KindEntry Grid(TProjection kind) {
  return Kind(kind, 0, GridForward, GridInverse, nullptr, kGrid, kNoPreStep)
      .ReadyWhen(Readiness::ReadyOnly, Readiness::ReadyOnly);
}

constexpr KindEntry kKinds[] = {Grid(mpUTM), Grid(mpDatumUTM), Grid(mpNationalGrid)};

}  // namespace

std::span<const KindEntry> GridKinds() { return kKinds; }

}  // namespace gx
