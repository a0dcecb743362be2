#include "projection/GxProjectionL.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <cmath>
#include <cstdint>
#include <string>

#include "conversion/GxConvertL.h"
#include "projection/Kernel.h"

namespace {

// ---- The dispatch -------------------------------------------------------------------

using EntryTable = std::array<const gx::KindEntry*, kProjectionCount>;

EntryTable BuildEntries() {
  EntryTable table{};
  for (auto family : {gx::CylindricalKinds(), gx::TransverseKinds(), gx::AzimuthalKinds(),
                      gx::ConicKinds(), gx::PseudocylindricalKinds(), gx::MollweideKinds(),
                      gx::McBrydeThomasKinds(), gx::WagnerUrmaevKinds(),
                      gx::OtherPseudocylindricalKinds(), gx::WorldKinds(), gx::GridKinds()}) {
    for (const gx::KindEntry& e : family)
      if (e.kind < kProjectionCount) table[e.kind] = &e;
  }
  return table;
}

const EntryTable& Entries() {
  static const EntryTable table = BuildEntries();
  return table;
}

std::uint64_t Bits(double v) { return std::bit_cast<std::uint64_t>(v); }

bool Ready(gx::Readiness r, const TGxProjectionL& p) {
  switch (r) {
    case gx::Readiness::ReadyOnly:
      return p.Ready;
    case gx::Readiness::RadiusNotNaN:
      return p.Ready && !std::isnan(p.Radius);
    case gx::Readiness::RadiusAndHeight:
      // A point of perspective at the globe's centre (H = -R) sees nothing.
      return p.Ready && p.Radius >= 0.01 && std::fabs(p.Radius + p.Other) >= 0.01 &&
             std::isfinite(p.Other);
    case gx::Readiness::Radius:
    default:
      // A NaN radius counts as not ready: no map can be drawn with it.
      return p.Ready && p.Radius >= 0.01;
  }
}

}  // namespace

const gx::KindEntry* gx::EntryOf(TProjection kind) {
  return kind < kProjectionCount ? Entries()[kind] : nullptr;
}

// ---- The constant block ------------------------------------------------------------

TGxProjectionL::PreparedKey TGxProjectionL::KeyNow() const {
  PreparedKey key;
  const double params[11] = {Radius, Theta, Phi0, Phi1, Phi2, X0, Y0, Other, Oblique, AxisTheta, AxisPhi};
  for (int i = 0; i < 11; ++i) key.params[i] = Bits(params[i]);
  key.convert = GxConvert;
  key.mapInput = MapInput;
  key.projection = Projection;
  key.ready = Ready;
  key.cutOff = ForwardCutOff;
  key.valid = true;
  return key;
}

// Every call asks whether the block still fits the parameters, so the
// eleven of them are compared at once, as one run of bits: any differing bit
// survives the or. The fields are declared one after the other; should a
// compiler ever lay them out otherwise, they are gathered one by one.
[[gnu::always_inline]] inline bool TGxProjectionL::ParametersAsPrepared() const {
  const char* first = reinterpret_cast<const char*>(&Radius);
  if (reinterpret_cast<const char*>(&AxisPhi) - first == 10 * sizeof(double)) {
    // Two parameters at a time.
    using Pair = std::uint64_t __attribute__((vector_size(16)));
    Pair differ = {0, 0};
    for (int i = 0; i < 10; i += 2) {
      Pair now, was;
      std::memcpy(&now, first + i * sizeof(double), sizeof now);
      std::memcpy(&was, &preparedKey_.params[i], sizeof was);
      differ |= now ^ was;
    }
    return ((differ[0] | differ[1]) | (Bits(AxisPhi) ^ preparedKey_.params[10])) == 0;
  }
  const double params[11] = {Radius, Theta, Phi0, Phi1, Phi2, X0, Y0, Other, Oblique, AxisTheta, AxisPhi};
  std::uint64_t differ = 0;
  for (int i = 0; i < 11; ++i) differ |= Bits(params[i]) ^ preparedKey_.params[i];
  return differ == 0;
}

[[gnu::always_inline]] inline const gx::Prepared& TGxProjectionL::Prepare() {
  const PreparedKey& was = preparedKey_;
  // With a converter attached the ellipsoid may come from its store, which
  // can change behind the component's back: the block is made every time.
  if (!was.valid || GxConvert || Projection != was.projection || MapInput != was.mapInput ||
      Ready != was.ready || ForwardCutOff != was.cutOff || !ParametersAsPrepared()) [[unlikely]]
    Rebuild();
  return *std::launder(reinterpret_cast<const gx::Prepared*>(prepared_));
}

void TGxProjectionL::Rebuild() {
  preparedKey_ = KeyNow();
  static_assert(sizeof(gx::Prepared) <= sizeof prepared_ && alignof(gx::Prepared) <= 16);
  gx::Prepared* k = new (prepared_) gx::Prepared();
  k->entry = gx::EntryOf(Projection);
  k->cutOff = ForwardCutOff;
  k->R = Radius;
  k->theta = Theta;
  k->phi0 = Phi0;
  k->phi1 = Phi1;
  k->phi2 = Phi2;
  k->other = Other;
  k->x0 = X0;
  k->y0 = Y0;
  k->tilted = Tilted();
  if (k->tilted) {
    k->tiltForward = gx::Rotation::About(AxisTheta, AxisPhi, Oblique);
    k->tiltInverse = gx::Rotation::About(AxisTheta, AxisPhi, -Oblique);
  }
  if (!k->entry) return;
  if (k->entry->ellipsoid) {
    const Axes ax = EllipsoidAxes();
    k->shape = gx::ShapeOf(ax.a, ax.ratio);
  }
  // A family may hand the kind to another one's entry (the Bonne projection
  // on the equator is the sinusoidal); the readiness is the final entry's.
  if (k->entry->prepare) k->entry->prepare(*k);
  if (k->entry) {
    k->readyForward = ::Ready(k->entry->readyForward, *this);
    k->readyInverse = ::Ready(k->entry->readyInverse, *this);
  }
}

// ---- The frame ---------------------------------------------------------------------

void TGxProjectionL::Place(int leaves) {
  switch (static_cast<gx::Leaves>(leaves)) {
    case gx::Leaves::MinusOne:
      X = Y = -1;
      break;
    case gx::Leaves::Zero:
      X = Y = 0;
      break;
    case gx::Leaves::Antimeridian:
      X = 0 - gx::kPi + Theta;
      Y = 0;
      break;
    case gx::Leaves::Input:
      break;
  }
}

// A refusal before the kind's routine: the code, then the pair the kind
// leaves when refused (none for a kind without routines).
void TGxProjectionL::Refuse(int code, int leaves) {
  SetError(code);
  if (leaves >= 0) Place(leaves);
}

void TGxProjectionL::StoreAxes(const gx::Prepared& k) {
  SemiMajor = k.shape.a;
  AxisRatio = k.shape.ratio;
}

// The outline check projects the point through the component's own
    // Forward, events and all. (x, y) lie on the tilted globe, which Forward
    // would tilt once more: it gets the untilted point instead, so that the
    // check (and its events) concern the pixel's own point.
void TGxProjectionL::CheckOutline(const gx::Prepared& k, const gx::Out& o, double xp) {
  double lonDeg = o.x * gx::kRadToDeg, latDeg = o.y * gx::kRadToDeg;
  if (k.tilted) {
    ObliqueRotate(o.x, o.y, false);
    lonDeg = X * gx::kRadToDeg;
    latDeg = Y * gx::kRadToDeg;
  }
  const double R = k.R;
  Forward(lonDeg, latDeg);
  if (!(std::fabs(X - xp) <= gx::kHalfPi * R)) {
    SetError(o.code);  // the forward's pixel stays
    return;
  }
  X = o.x;  // the code stays the nested forward's
  Y = o.y;
}

void TGxProjectionL::ApplyEffects(const gx::Prepared& k, const gx::Out& o) {

  if (o.effects & gx::kSetsIterLat) IterLat = o.iterLat;
  if (o.effects & gx::kSetsIterAux) IterAux = o.iterAux;
  if (o.effects & gx::kStoresAxes) StoreAxes(k);
  if (o.effects & gx::kWritesOther) Other = o.iterAux;
}

// A kernel's result in the fields, its code through SetError as it asks.
[[gnu::always_inline]] inline void TGxProjectionL::Apply(const gx::Prepared& k, const gx::Out& o, double xp) {
  if (o.effects & gx::kChecksOutline) return CheckOutline(k, o, xp);
  X = o.x;
  Y = o.y;
  if (o.effects) ApplyEffects(k, o);
  if (o.report == gx::Report::Once) {
    SetError(o.code);
  } else if (o.report == gx::Report::Silent) {
    ErrorCode = o.code;
  } else {
    SetError(o.first);
    SetError(o.code);
  }
}

[[gnu::always_inline]] inline void TGxProjectionL::RunForward(const gx::Prepared& k, bool finite) {
  const gx::KindEntry* e = k.entry;
  // No position has a NaN or an infinite coordinate: refused before any
  // routine looks at it, with the pair the kind leaves when refused.
  if (!finite) return Refuse(kNonFiniteInput, e ? static_cast<int>(e->leavesForward) : -1);
  if (!e) return;  // a kind without routines hands its input through
  if (!k.readyForward) {
    if (e->axesWhenRefused) StoreAxes(k);
    SetError(e->notReadyForward);
    if (e->alsoRefusedForward) SetError(e->alsoRefusedForward);
    Place(static_cast<int>(e->leavesForward));
    return;
  }
  // A latitude beyond a pole is folded back over it (100 deg is taken as
  // 80 deg), the way Inverse folds the latitudes it reports.
  if ((e->preSteps & gx::kFoldsLatitude) && std::fabs(Y) > gx::kHalfPi) Y = std::asin(std::sin(Y));
  // One step each way, strict comparisons: Delta = +-pi stays as it is.
  if (e->preSteps & gx::kWrapsLongitude) {
    if (X - Theta < -gx::kPi) X += gx::kTwoPi;
    if (X - Theta > gx::kPi) X -= gx::kTwoPi;
  }
  Apply(k, e->forward(k, X, Y), 0);
}

[[gnu::always_inline]] inline void TGxProjectionL::RunInverse(const gx::Prepared& k, bool finite) {
  const gx::KindEntry* e = k.entry;
  if (!finite) return Refuse(kNonFiniteInput, e ? static_cast<int>(e->leavesInverse) : -1);
  if (!e) return;
  if (!k.readyInverse) {
    if (e->axesWhenRefused) StoreAxes(k);
    SetError(e->notReadyInverse);
    Place(static_cast<int>(e->leavesInverse));
    return;
  }
  const double xp = X;
  Apply(k, e->inverse(k, X, Y), xp);
}

void gx::RunInverseRoutine(TGxProjectionL& p, double x, double y) {
  p.X = x;
  p.Y = y;
  p.ErrorCode = 0;
  p.RunInverse(p.Prepare(), std::isfinite(x) && std::isfinite(y));
}

void TGxProjectionL::Forward(double Lambda, double Phi) {
  ErrorCode = 0;
  X = 0;
  Y = 0;
  if (GxConvert) HandOverForward(Lambda, Phi);
  const bool finite = std::isfinite(Lambda) && std::isfinite(Phi);
  const gx::Prepared& k = Prepare();

  if (IsGridKind(Projection)) {
    X = Lambda;
    Y = Phi;
  } else {
    X = Lambda * gx::kDegToRad;
    Y = Phi * gx::kDegToRad;
    if (k.tilted) k.tiltForward.Apply(X, Y, X, Y);
  }

  RunForward(k, finite);

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
  const gx::Prepared& k = Prepare();
  RunInverse(k, std::isfinite(x) && std::isfinite(y));
  if (!IsGridKind(Projection) && k.tilted) k.tiltInverse.Apply(X, Y, X, Y);
}

// Fold the longitude into [-180, 180] and a latitude beyond the pole back
// onto the sphere (100 degrees is 80 degrees on the other meridian side).
void TGxProjectionL::FoldToDegrees() { gx::FoldedDegrees(X, Y, X, Y); }

void TGxProjectionL::InverseHandOverAndEvent() {
  if (GxConvert) HandOverInverse();

  if (!OnInverse || ErrorCode >= 10000) return;
  if (ErrorCode == 0)
    OnInverse(this, X, Y, 0);
  else
    OnInverse(this, 0, 0, ErrorCode);
}

void TGxProjectionL::Inverse(double x, double y) {
  InverseRoutine(x, y);
  if (!IsGridKind(Projection)) FoldToDegrees();
  InverseHandOverAndEvent();
}

namespace {

// The pixels x0 + i * step of a row pair up across the map's central column
// cx when x0 and cx lie on the half-pixel grid, are small enough for every
// pixel's position to be exact, and 2 (cx - x0) is a whole number of steps
// c: pixel i's mirror is then pixel c - i, at exactly the opposite distance
// from the column.
bool MirrorOffset(double x0, double cx, int step, double& c) {
  constexpr double kExact = 0x1p40;
  if (!(std::fabs(x0) < kExact && std::fabs(cx) < kExact) || step < 1) return false;
  const double a = 2 * x0, b = 2 * cx;
  if (a != std::floor(a) || b != std::floor(b)) return false;
  c = (b - a) / step;
  return c == std::floor(c);
}

}  // namespace

namespace gx {

bool LatitudeBands::Fits(const Prepared& k) const {
  const auto same = [](double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
  };
  return k.entry == entry && same(k.phi1, phi1) && same(k.phi2, phi2) && same(k.other, other) &&
         same(k.shape.e, e);
}

std::shared_ptr<const LatitudeBands> MakeLatitudeBands(const Prepared& k, int rows) {
  // Beyond this many rows the bands are narrower than the picture's own
  // precision would justify; the table stays small.
  constexpr int kMostRows = 1 << 15;
  if (!k.entry || !k.entry->bandKey || rows < 4 || rows > kMostRows) return nullptr;
  auto bands = std::make_shared<LatitudeBands>();
  bands->entry = k.entry;
  bands->phi1 = k.phi1;
  bands->phi2 = k.phi2;
  bands->other = k.other;
  bands->e = k.shape.e;
  // Row j of the picture holds the latitudes that round to j * 180 / rows
  // degrees: its borders lie half a row either side.
  const double row = kPi / rows;
  const int last = rows / 2;
  for (int j = -last + 1; j < last; ++j) {
    const double south = (j - 0.5) * row, north = (j + 0.5) * row;
    const double a = k.entry->bandKey(k, south + LatitudeBands::kBandSlack);
    const double b = k.entry->bandKey(k, north - LatitudeBands::kBandSlack);
    if (!std::isfinite(a) || !std::isfinite(b) || a == b) continue;
    bands->lo.push_back(std::min(a, b));
    bands->hi.push_back(std::max(a, b));
    bands->middle.push_back(j * row);
  }
  // A key that runs one way through the latitudes gives disjoint intervals,
  // in ascending order once turned round where it falls; otherwise it falls
  // back on itself somewhere and would put one key in two bands.
  std::vector<double>& lo = bands->lo;
  std::vector<double>& hi = bands->hi;
  std::vector<double>& middle = bands->middle;
  if (lo.empty()) return nullptr;
  if (lo.front() > lo.back()) {
    std::reverse(lo.begin(), lo.end());
    std::reverse(hi.begin(), hi.end());
    std::reverse(middle.begin(), middle.end());
  }
  for (std::size_t i = 1; i < lo.size(); ++i)
    if (!(lo[i] > hi[i - 1])) return nullptr;
  return bands;
}

}  // namespace gx

void TGxProjectionL::SetPictureRows(int rows) {
  bands_ = nullptr;
  if (rows <= 0) return;
  const gx::Prepared& k = Prepare();
  if (!k.readyInverse || k.tilted) return;
  bands_ = gx::MakeLatitudeBands(k, rows);
}

void TGxProjectionL::FoldedDegrees(double lambda, double phi, double& lon, double& lat) {
  gx::FoldedDegrees(lambda, phi, lon, lat);
}

void TGxProjectionL::InverseRow(double y, double x0, int n, double* lon, double* lat, int* code,
                                int step) {
  if (!RowUnfolded(y, x0, n, lon, lat, code, step, false)) return;
  // The latitude fold depends on the latitude alone, which on most maps is
  // the same for the whole row.
  bool haveFolded = false;
  double foldedFrom = 0, folded = 0;
  for (int i = 0; i < n - 1; ++i) {
    if (code[i] != 0) continue;
    const double phi = lat[i];
    if (!haveFolded || std::bit_cast<std::uint64_t>(phi) != std::bit_cast<std::uint64_t>(foldedFrom)) {
      haveFolded = true;
      foldedFrom = phi;
      folded = std::asin(std::sin(phi)) * gx::kRadToDeg;
    }
    lon[i] = gx::FoldLongitude(lon[i]) * gx::kRadToDeg;
    lat[i] = folded;
  }
  // The last pixel, refused or not, is the working pair.
  lon[n - 1] = X;
  lat[n - 1] = Y;
}

bool TGxProjectionL::InverseSolves() {
  const gx::KindEntry* e = Prepare().entry;
  return e && e->inverseSolves;
}

bool TGxProjectionL::MirrorPixels(double x0, int step, double& mirror) {
  const gx::Prepared& k = Prepare();
  return k.entry && !k.entry->lopsided && !IsGridKind(Projection) && !k.tilted && RotAngle == 0 &&
         MirrorOffset(x0, k.x0, step, mirror);
}

bool TGxProjectionL::InverseRowUnfolded(double y, double x0, int n, double* lon, double* lat,
                                        int* code, int step) {
  return RowUnfolded(y, x0, n, lon, lat, code, step, true);
}

bool TGxProjectionL::RowUnfolded(double y, double x0, int n, double* lon, double* lat, int* code,
                                 int step, bool drawing) {
  if (n <= 0) return true;
  step = std::max(step, 1);
  const gx::RowPixels pixels(x0, step);
  const gx::Prepared& k = Prepare();
  const gx::KindEntry* e = k.entry;
  // What a single call does beyond the kernel and the fold stays with it: a
  // plane turn, a converter or a handler, a kind without routine, the grid
  // kinds (no fold), and input that is no number.
  const bool finite =
      std::isfinite(y) && std::isfinite(x0) && std::isfinite(gx::PixelAt(pixels, n - 1));
  if (!e || !finite || RotAngle != 0 || !CanDrawInBatches() || IsGridKind(Projection)) {
    for (int i = 0; i < n; ++i) {
      Inverse(gx::PixelAt(pixels, i), y);
      lon[i] = X;
      lat[i] = Y;
      code[i] = ErrorCode;
    }
    return false;
  }

  // Latitude bands answer only untilted rows (the picture's rows are
  // latitudes after the tilt) of a kind with a key, for these parameters.
  gx::Prepared& block = *std::launder(reinterpret_cast<gx::Prepared*>(prepared_));
  const bool banding =
      drawing && bands_ && k.readyInverse && !k.tilted && e->bandKey && bands_->Fits(k);

  // The fields that some pixels write and others leave: the last pixel of
  // the row that writes one wins, as with n calls (mirror pairs are worked
  // out out of order). Drawing, a pixel may be answered without its exact
  // latitude, by a band or as a refusal (uncertainFrom is the last such
  // pixel); the pixels whose fields count are then worked out again
  // exactly, below. (A kind with a key writes no field but IterLat from its
  // latitude.)
  std::uint8_t written = 0;
  int latFrom = -1, auxFrom = -1, otherFrom = -1, uncertainFrom = -1;
  bool latBanded = false, lastBanded = false;
  double iterLat = 0, iterAux = 0, other = 0;
  gx::Out last;
  const auto finish = [&](const gx::Out& o, int i) {
    lon[i] = o.x;
    lat[i] = o.y;
    if (k.tilted) k.tiltInverse.Apply(lon[i], lat[i], lon[i], lat[i]);
  };
  const auto take = [&](const gx::Out& o, int i, bool banded) {
    code[i] = o.code;
    if (o.code == 0) finish(o, i);
    if (o.effects) {
      written |= o.effects;
      if ((o.effects & gx::kSetsIterLat) && i > latFrom)
        iterLat = o.iterLat, latFrom = i, latBanded = banded;
      if ((o.effects & gx::kSetsIterAux) && i > auxFrom) iterAux = o.iterAux, auxFrom = i;
      if ((o.effects & gx::kWritesOther) && i > otherFrom) other = o.iterAux, otherFrom = i;
    }
    if (i == n - 1) last = o, lastBanded = banded;
    if (banded) uncertainFrom = std::max(uncertainFrom, i);
  };

  if (!k.readyInverse) {
    for (int i = 0; i < n; ++i) code[i] = e->notReadyInverse;
    last.code = e->notReadyInverse;
    last.x = gx::PixelAt(pixels, n - 1);
    last.y = y;
    switch (e->leavesInverse) {
      case gx::Leaves::MinusOne: last.x = last.y = -1; break;
      case gx::Leaves::Zero: last.x = last.y = 0; break;
      case gx::Leaves::Antimeridian: last.x = 0 - gx::kPi + Theta, last.y = 0; break;
      case gx::Leaves::Input: break;
    }
    if (e->axesWhenRefused) StoreAxes(k);
  } else {
    block.bands = banding ? bands_.get() : nullptr;
    block.drawing = drawing;
    double mirrors = 0;
    if (!e->inverseRow && e->inversePair && MirrorOffset(x0, k.x0, step, mirrors)) {
      // Pixel i's mirror is pixel mirrors - i: the pair is worked out when
      // the first of the two comes, and the second is then skipped.
      for (int i = 0; i < n; ++i) {
        const double j = mirrors - i;
        if (j >= 0 && j < i) continue;
        const double x = gx::PixelAt(pixels, i);
        const std::uint32_t before = k.banded;
        if (j > i && j < n) {
          const int m = static_cast<int>(j);
          gx::Out a, b;
          e->inversePair(k, y, x, gx::PixelAt(pixels, m), a, b);
          take(a, i, k.banded != before);
          take(b, m, k.banded != before);
        } else {
          const gx::Out o = e->inverse(k, x, y);
          take(o, i, k.banded != before);
        }
      }
    } else {
      constexpr int kChunk = 64;
      gx::Out out[kChunk];
      int insideCode = -1;  // the outline check's code inside the outline, once known
      bool banded[kChunk];
      for (int first = 0; first < n; first += kChunk) {
        const int count = std::min(kChunk, n - first);
        if (e->inverseRow) {
          e->inverseRow(k, y, pixels, first, count, out);
          std::fill_n(banded, count, false);
        } else {
          for (int j = 0; j < count; ++j) {
            const std::uint32_t before = k.banded;
            out[j] = e->inverse(k, gx::PixelAt(pixels, first + j), y);
            banded[j] = k.banded != before;
          }
        }
        for (int j = 0; j < count; ++j) {
          gx::Out& o = out[j];
          if ((o.effects & gx::kInsideOutline) && insideCode >= 0) {
            o = gx::Result(o.x, o.y, insideCode);  // what the check would leave
          } else if (o.effects & gx::kChecksOutline) {
            // Robinson's outline check runs Forward, which with no handler
            // and no converter fires nothing and leaves only the pair and
            // the code, which become this pixel's result.
            ErrorCode = 0;
            CheckOutline(k, o, gx::PixelAt(pixels, first + j));
            if (o.effects & gx::kInsideOutline) insideCode = ErrorCode;
            o = gx::Result(X, Y, ErrorCode);
          }
          take(o, first + j, banded[j]);
        }
      }
    }
    block.bands = nullptr;
    block.drawing = false;
    // The pixels whose results outlive the row, worked out exactly where a
    // band or a refusal without latitude answered for them. A band answers
    // only where the solver finds the latitude, so such a pixel writes the
    // fields the exact call writes, but its latitude's value is the band's.
    // A pixel refused without its latitude (off the map whatever the
    // latitude) wrote no IterLat, where the exact call may: the last writer
    // is then sought from the last such pixel backwards, worked out exactly
    // (the same work as without bands, at worst; usually the first pixel
    // looked at writes it).
    if (uncertainFrom >= 0) {
      int at = -1;
      gx::Out exactOut;
      const auto exact = [&](int i) -> const gx::Out& {
        if (i != at) {
          at = i;
          exactOut = e->inverse(k, gx::PixelAt(pixels, i), y);
          code[i] = exactOut.code;
          if (exactOut.code == 0) finish(exactOut, i);
        }
        return exactOut;
      };
      if (lastBanded) last = exact(n - 1);
      bool found = false;
      for (int i = uncertainFrom; i > latFrom && !found; --i) {
        if (exact(i).effects & gx::kSetsIterLat) {
          iterLat = exact(i).iterLat, latFrom = i, found = true;
          written |= gx::kSetsIterLat;
        }
      }
      if (latBanded && !found) iterLat = exact(latFrom).iterLat;
    }
    if (written & gx::kSetsIterLat) IterLat = iterLat;
    if (written & gx::kSetsIterAux) IterAux = iterAux;
    if (written & gx::kWritesOther) Other = other;
    if (written & gx::kStoresAxes) StoreAxes(k);
  }
  // The working pair as the last call leaves it, refused or not.
  finish(last, n - 1);
  gx::FoldedDegrees(lon[n - 1], lat[n - 1], X, Y);
  ErrorCode = last.code;
  return true;
}

void TGxProjectionL::ObliqueRotate(double lambda, double phi, bool forwardSense) {
  if (std::fabs(Oblique) <= 0.00001) {
    X = lambda;
    Y = phi;
    return;
  }
  const gx::Prepared& k = Prepare();
  if (k.tilted) {
    (forwardSense ? k.tiltForward : k.tiltInverse).Apply(lambda, phi, X, Y);
    return;
  }
  gx::Rotation::About(AxisTheta, AxisPhi, forwardSense ? Oblique : -Oblique).Apply(lambda, phi, X, Y);
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

// ---- The solvers, shown in the fields ------------------------------------------------

void TGxProjectionL::LatitudeFromQ(double e, double q) {
  const gx::Solved r = gx::LatitudeFromQ(e, q);
  if (r.status == 0) IterLat = r.value;
  ErrorCode = r.status;
}

void TGxProjectionL::LatitudeFromT(double e, double t) {
  const gx::Solved r = gx::LatitudeFromT(e, t);
  IterLat = r.value;  // 0 when it did not converge
  ErrorCode = r.status;
}

void TGxProjectionL::LatitudeFromMeridian(double M, double e0, double e1, double e2, double e3) {
  const gx::Solved r = gx::LatitudeFromMeridian(M, e0, e1, e2, e3);
  if (r.status == 0) IterLat = r.value;
  ErrorCode = r.status;
}

void TGxProjectionL::PolyconicLatitude(double es, double e0, double e1, double e2, double e3,
                                       double A, double B) {
  const gx::PolyconicSolved r = gx::PolyconicLatitude(es, e0, e1, e2, e3, A, B);
  if (r.status == 0) {
    IterLat = r.value;
    IterAux = r.aux;
  }
  ErrorCode = r.status;
}
