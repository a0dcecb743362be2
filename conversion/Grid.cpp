// The three affine grid kinds (UTM, local UTM, national grid). Their six
// coefficients live in the parameter fields, used as stored:
//   x = Ca E + Cb N + Cc,  y = Cd N + Ce E + Cf
// with Ca..Cf = Radius, Theta, Phi0, Phi1, Phi2, X0. Only Ready guards them;
// the radius is a coefficient here, not a size.
#include <cmath>

#include "projection/Families.h"

namespace {

void GridForward(TGxProjectionL& p, int) {
  if (!p.Ready) {
    p.SetError(152);
    return;
  }
  const double E = p.X, N = p.Y;
  p.X = p.Radius * E + p.Theta * N + p.Phi0;
  p.Y = p.Phi1 * N + p.Phi2 * E + p.X0;
  // Success sets no code: the dispatcher's 0 stands and no OnError fires.
}

void GridInverse(TGxProjectionL& p, int) {
  if (!p.Ready) {
    p.SetError(153);
    return;
  }
  const double Ca = p.Radius, Cb = p.Theta, Cc = p.Phi0, Cd = p.Phi1, Ce = p.Phi2, Cf = p.X0;
  const double det = Ca * Cd - Ce * Cb;
  if (!(std::fabs(det) > 0)) {
    // A singular (or NaN) grid has no inverse: report it like a grid that is
    // not ready and leave the pixel as it came.
    p.SetError(153);
    return;
  }
  const double x = p.X, y = p.Y;
  p.Y = (Ca * y - Ce * x + Ce * Cc - Ca * Cf) / det;
  p.X = (x * Cd - Cb * y + Cb * Cf - Cc * Cd) / det;
  p.SetError(0);
}

constexpr KindRoutines kGrid[] = {
    {mpUTM, GridForward, GridInverse, 0},
    {mpDatumUTM, GridForward, GridInverse, 0},
    {mpNationalGrid, GridForward, GridInverse, 0},
};

}  // namespace

std::span<const KindRoutines> GridRoutines() { return kGrid; }
