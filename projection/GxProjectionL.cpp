#include "projection/GxProjectionL.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "conversion/GxConvertL.h"
#include "projection/Families.h"

namespace {

using Table = std::array<KindRoutines, kProjectionCount>;

Table BuildDispatch() {
  Table table{};
  for (int k = 0; k < kProjectionCount; ++k)
    table[k] = {static_cast<TProjection>(k), nullptr, nullptr, 0};
  for (auto family : {CylindricalRoutines(), TransverseRoutines(), AzimuthalRoutines(),
                      ConicRoutines(), PseudocylindricalRoutines(), WorldRoutines(),
                      GridRoutines()}) {
    for (const KindRoutines& r : family)
      if (r.Kind < kProjectionCount && r.Forward) table[r.Kind] = r;
  }
  return table;
}

const Table& Dispatch() {
  static const Table table = BuildDispatch();
  return table;
}

}  // namespace

const KindRoutines* RoutinesOf(TProjection kind) {
  if (kind >= kProjectionCount) return nullptr;
  const KindRoutines& r = Dispatch()[kind];
  return r.Forward ? &r : nullptr;
}

void TGxProjectionL::Forward(double Lambda, double Phi) {
  foldPending_ = false;
  ErrorCode = 0;
  X = 0;
  Y = 0;
  if (GxConvert) HandOverForward(Lambda, Phi);

  if (IsGridKind(Projection)) {
    X = Lambda;
    Y = Phi;
  } else {
    X = Lambda * gx::kDegToRad;
    Y = Phi * gx::kDegToRad;
    if (Tilted()) ObliqueRotate(X, Y, true);
  }

  if (Projection < kProjectionCount) {
    const KindRoutines& r = Dispatch()[Projection];
    if (r.Forward) r.Forward(*this, r.Row);
  }

  // The plane turn is the identity unless someone set an angle; skipping it
  // then also keeps an infinite coordinate from turning into NaN (0 * inf).
  if (RotAngle != 0) {
    const double dx = X - RotCentreX, dy = Y - RotCentreY;
    const double c = std::cos(RotAngle), s = std::sin(RotAngle);
    X = c * dx + s * dy + RotCentreX;
    Y = -s * dx + c * dy + RotCentreY;
  }

  if (!OnForward || ErrorCode >= 10000) return;
  if (ErrorCode == 0)
    OnForward(this, X, Y, 0);
  else
    OnForward(this, 0, 0, ErrorCode);
}

void TGxProjectionL::InverseRoutine(double x, double y) {
  if (RotAngle != 0) {
    const double dx = x - RotCentreX, dy = y - RotCentreY;
    const double c = std::cos(-RotAngle), s = std::sin(-RotAngle);
    X = c * dx + s * dy + RotCentreX;
    Y = -s * dx + c * dy + RotCentreY;
  } else {
    X = x;
    Y = y;
  }
  ErrorCode = 0;

  if (Projection < kProjectionCount) {
    const KindRoutines& r = Dispatch()[Projection];
    if (r.Inverse) r.Inverse(*this, r.Row);
  }

  if (!IsGridKind(Projection) && Tilted()) ObliqueRotate(X, Y, false);
}

// Fold the longitude into [-180, 180] and a latitude beyond the pole back
// onto the sphere (100 degrees is 80 degrees on the other meridian side).
void TGxProjectionL::FoldToDegrees() {
  const double s = std::sin(X), c = std::cos(X);
  double lambda = X;
  if (s != 0 && c != 0) {
    if (c < 0 && s > 0)
      lambda = gx::kPi - std::asin(s);
    else if (c < 0 && s < 0)
      lambda = -gx::kPi - std::asin(s);
    else if (c > 0)
      lambda = std::asin(s);
  }
  const double phi = std::asin(std::sin(Y));
  X = lambda * gx::kRadToDeg;
  Y = phi * gx::kRadToDeg;
}

void TGxProjectionL::InverseHandOverAndEvent() {
  if (GxConvert) HandOverInverse();

  if (!OnInverse || ErrorCode >= 10000) return;
  if (ErrorCode == 0)
    OnInverse(this, X, Y, 0);
  else
    OnInverse(this, 0, 0, ErrorCode);
}

void TGxProjectionL::Inverse(double x, double y) {
  foldPending_ = false;
  InverseRoutine(x, y);
  if (!IsGridKind(Projection)) FoldToDegrees();
  InverseHandOverAndEvent();
}

void TGxProjectionL::InverseForDrawing(double x, double y) {
  InverseRoutine(x, y);
  // The converter reads X and Y and an OnInverse handler may read them
  // through its Sender: with either, the fold stays.
  foldPending_ = ErrorCode != 0 && !GxConvert && !OnInverse && !IsGridKind(Projection);
  if (!foldPending_ && !IsGridKind(Projection)) FoldToDegrees();
  InverseHandOverAndEvent();
}

void TGxProjectionL::CompleteInverse() {
  if (!foldPending_) return;
  foldPending_ = false;
  FoldToDegrees();
}

void TGxProjectionL::ObliqueRotate(double lambda, double phi, bool forwardSense) {
  if (std::fabs(Oblique) <= 0.00001) {
    X = lambda;
    Y = phi;
    return;
  }
  const double theta = forwardSense ? Oblique : -Oblique;
  const double k1 = std::cos(AxisPhi) * std::cos(AxisTheta);
  const double k2 = std::cos(AxisPhi) * std::sin(AxisTheta);
  const double k3 = std::sin(AxisPhi);
  const double p1 = std::cos(phi) * std::cos(lambda);
  const double p2 = std::cos(phi) * std::sin(lambda);
  const double p3 = std::sin(phi);
  const double g = std::cos(theta), s = std::sin(theta), h = 1 - g;

  const double xr = (h * k1 * k1 + g) * p1 + (h * k1 * k2 - s * k3) * p2 + (h * k1 * k3 + s * k2) * p3;
  const double yr = (h * k1 * k2 + s * k3) * p1 + (h * k2 * k2 + g) * p2 + (h * k2 * k3 - s * k1) * p3;
  const double zr = (h * k1 * k3 - s * k2) * p1 + (h * k2 * k3 + s * k1) * p2 + (h * k3 * k3 + g) * p3;

  double lr;
  if (std::fabs(xr) <= 1e-11)
    lr = yr >= 0 ? gx::kHalfPi : -gx::kHalfPi;
  else if (xr > 0)
    lr = std::atan(yr / xr);
  else
    lr = std::atan(yr / xr) + gx::kPi;
  X = lr;
  // The turned vector's length is 1 only up to rounding; a z of 1 + 2e-16 at
  // the pole must give the pole, not NaN.
  Y = gx::SafeArcSin(zr);
}

void TGxProjectionL::SetListIndex(int Index) {
  if (Index >= kFirstListedPosition && Index < kListCount) Projection = CatalogueAt(Index).Kind;
}

void TGxProjectionL::GetInfo() {
  if (!OnGetInfo) return;
  const int i = ListIndex();
  const CatalogueEntry& e = CatalogueAt(i);
  OnGetInfo(this, std::string(e.DisplayName), e.TypeGeo, e.Reference, e.EllipsType, i);
}

void TGxProjectionL::GetConstants() {
  if (!OnGetConstants) return;
  if (ListIndex() > 2) {
    OnGetConstants(this, Radius, Theta * gx::kRadToDeg, Phi0 * gx::kRadToDeg,
                   Phi1 * gx::kRadToDeg, Phi2 * gx::kRadToDeg, X0, Y0,
                   Oblique * gx::kRadToDeg, Other);
  } else {
    // The grid kinds keep their affine coefficients in these fields, unconverted.
    OnGetConstants(this, Radius, Theta, Phi0, Phi1, Phi2, X0, 0, 0, 0);
  }
}

// ---- Ellipsoid selection ------------------------------------------------------

namespace {

const gx::EllipsoidRecord& SelectEllipsoid(const TGxProjectionL& p) {
  const int m = p.MapInput;
  if (p.GxConvert && m >= gx::kEllipsoidTableSize && m != 220) {
    const gx::EllipsoidRecord* r = p.GxConvert->FindEllipsoid(m);
    // A record that is missing or has no sensible shape falls back like any
    // other index the table does not know.
    if (r && r->SemiMajor > 0 && r->InverseFlattening > 1 && std::isfinite(r->SemiMajor) &&
        std::isfinite(r->InverseFlattening))
      return *r;
  } else if (m >= 0 && m < gx::kEllipsoidTableSize) {
    return gx::kEllipsoids[m];
  }
  // Negative indices, 52 and up without a converter, and the component's
  // initial 220 all take the fallback entry.
  return gx::kEllipsoids[gx::kFallbackEllipsoid];
}

}  // namespace

double TGxProjectionL::SemiMinorAxis() const {
  const gx::EllipsoidRecord& r = SelectEllipsoid(*this);
  return r.SemiMajor - r.SemiMajor / r.InverseFlattening;
}

TGxProjectionL::Axes TGxProjectionL::EllipsoidAxes() const {
  const gx::EllipsoidRecord& r = SelectEllipsoid(*this);
  const double b = r.SemiMajor - r.SemiMajor / r.InverseFlattening;
  return {r.SemiMajor, b / r.SemiMajor};
}

// ---- Hand-over to the conversion component -------------------------------------

void TGxProjectionL::IndexCheck() {
  const int t = CatalogueAt(ListIndex()).EllipsType;
  // 64-bit sums: the counts are public fields and may hold anything.
  const std::int64_t m = MapInput;
  if (t == 1 && (m > 52 + static_cast<std::int64_t>(GxConvert->ExtraEllipsoidCount) || m < 0))
    MapInput = 30;
  else if (t == 0 && (m > 224 + static_cast<std::int64_t>(GxConvert->ExtraSphereCount) || m < 0))
    MapInput = 220;
}

void TGxProjectionL::HandOverForward(double& Lambda, double& Phi) {
  GxConvert->SetUTMZone(Zone.View());
  IndexCheck();
  if (CatalogueAt(ListIndex()).EllipsType == 1)
    GxConvert->SetCoordinates(InputIndex, Lambda, Phi);
  else
    GxConvert->Convert(false, false, InputIndex, MapInput, Lambda, Phi);
  Lambda = GxConvert->CoordA;
  Phi = GxConvert->CoordB;
  Zone = GxConvert->UTMZone();
}

void TGxProjectionL::HandOverInverse() {
  GxConvert->SetUTMZone(Zone.View());
  IndexCheck();
  GxConvert->Convert(false, false, MapInput, OutputIndex, X, Y);
  X = GxConvert->CoordA;
  Y = GxConvert->CoordB;
  Zone = GxConvert->UTMZone();
}
