// The kinds' kernels and the constant block they read (internal to the
// engine; not installed).
//
// A kernel is a pure function. The forward kernel takes the longitude and
// latitude in radians, after the frame's tilt and the kind's pre-steps (the
// longitude wrap, the latitude fold); the inverse kernel takes the pixel
// after the plane turn has been removed. Both read only the constant block
// that the component prepares whenever a parameter changes, and hand back
// their result pair with its code. Everything else happens once, in the
// component's frame: the not-ready test, the pre-steps, the tilt, the plane
// turn, the fold into degrees, SetError and the events.
//
// Most kinds' arithmetic has always mixed the radius into its formulas in
// its own order, and the results must stay the same to the last bit; so a
// kernel scales to pixels itself, through the block's helpers (ToPixels,
// FromPixels, Finish), which are the only places those steps are written.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <type_traits>
#include <vector>

#include "projection/GxProjectionL.h"
#include "projection/Numerics.h"

namespace gx {

struct Prepared;

// How a kernel's code reaches the component.
enum class Report : std::uint8_t {
  Once,    // SetError(code): OnError fires for codes below 10000, 0 included
  Silent,  // ErrorCode = code, no event (a success that sets no code)
  Twice,   // SetError(first), then SetError(code)
};

// Side results that some kernels have, beside their pair.
enum Effect : std::uint8_t {
  kSetsIterLat = 1,    // IterLat := iterLat
  kSetsIterAux = 2,    // IterAux := iterAux
  kStoresAxes = 4,     // SemiMajor, AxisRatio := the selected ellipsoid's pair
  kWritesOther = 8,    // Other := iterAux, the clamped value the kernel used
  kChecksOutline = 16, // inverse: the frame projects (x, y) back through Forward
                       // and refuses with `code` when the pixel does not match
  kInsideOutline = 32, // with kChecksOutline: the point lies well inside the
                       // outline, so the check passes, and the code the forward
                       // leaves depends on the row alone: a row's pass checks
                       // the first such pixel and gives the others its code
};

// The side values are written only with the effect that names them, and
// read only then: most kernels hand back a pair and a code and nothing else,
// once per pixel.
struct Out {
  double x = 0, y = 0;
  int code = 0;
  Report report = Report::Once;
  std::uint8_t effects = 0;
  int first;  // with Report::Twice, the code reported before `code`
  double iterLat, iterAux;
};

inline Out Result(double x, double y, int code = 0) {
  Out o;
  o.x = x;
  o.y = y;
  o.code = code;
  return o;
}
// A success that reports no code: the frame's 0 stands and no event fires.
inline Out Quiet(double x, double y) {
  Out o = Result(x, y);
  o.report = Report::Silent;
  return o;
}
inline Out Twice(double x, double y, int first, int code) {
  Out o = Result(x, y, code);
  o.report = Report::Twice;
  o.first = first;
  return o;
}
inline Out WithIterLat(Out o, double lat) {
  o.effects |= kSetsIterLat;
  o.iterLat = lat;
  return o;
}
inline Out WithAxes(Out o) {
  o.effects |= kStoresAxes;
  return o;
}

using ForwardKernel = Out (*)(const Prepared& k, double lambda, double phi);
using InverseKernel = Out (*)(const Prepared& k, double x, double y);
// The pixels of a row: x0, x0 + step, x0 + 2 step, ... as the caller's
// x0 + i * step would be.
struct RowPixels {
  double x0;
  int step = 1;
  RowPixels(double x) : x0(x) {}  // NOLINT(google-explicit-constructor): a row of unit step
  RowPixels(double x, int s) : x0(x), step(s) {}
};

// The inverse of the pixels (PixelAt(x0, first + i), y), i = 0..count-1: the
// part that depends on the row once, then per pixel the part that depends on
// the column, with exactly the operations of the inverse kernel.
using RowKernel = void (*)(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out);
// The inverse of the pixels x and mirror of row y, mirror images of each
// other across the central column (mirror - x0 = -(x - x0)): for the kinds
// whose latitude depends on the column only through its distance from the
// centre, that part is worked out once for both. The results are those of
// the inverse kernel called for each pixel, to the bit. A pair kernel never
// asks for the outline check.
using PairKernel = void (*)(const Prepared& k, double y, double x, double mirror, Out& atX,
                            Out& atMirror);
using PrepareFn = void (*)(Prepared& k);
// The quantity from which a kind's inverse solves its latitude (a cone
// radius, a meridian distance, an authalic q) as a function of the latitude
// it gives: monotonic, in the kernel's own units and sense.
using BandKey = double (*)(const Prepared& k, double phi);

// When the kind refuses to work for want of parameters.
enum class Readiness : std::uint8_t {
  Radius,          // Ready false, or Radius below 0.01 or NaN
  RadiusNotNaN,    // Ready false, or Radius NaN (the orthographic forward)
  ReadyOnly,       // Ready false (the grid kinds: Radius is a coefficient)
  RadiusAndHeight, // as Radius, or a point of perspective at the globe's
                   // centre (|Radius + Other| < 0.01) or not finite
};

// What a refused call leaves in X, Y.
enum class Leaves : std::uint8_t {
  Input,        // the pair as it came (radians after the tilt, or the pixel)
  MinusOne,     // (-1, -1)
  Zero,         // (0, 0)
  Antimeridian, // (Theta - pi, 0): the interrupted Mollweide's inverse
};

enum PreStep : std::uint8_t {
  kNoPreStep = 0,
  kWrapsLongitude = 1,  // one step each way to within pi of Theta
  kFoldsLatitude = 2,   // a latitude beyond a pole folded back over it
};

// One kind in the dispatch: its kernels, its family's row and the frame's
// part of its behaviour. Each family file lists its kinds in such a table.
struct KindEntry {
  TProjection kind;
  int row;  // the kind's row in its family's table
  ForwardKernel forward;
  InverseKernel inverse;
  RowKernel inverseRow;  // null: the kind has no row-wise inverse
  PrepareFn prepare;     // null: the family keeps no constants
  int notReadyForward, notReadyInverse;
  Readiness readyForward, readyInverse;
  Leaves leavesForward, leavesInverse;
  std::uint8_t preSteps;
  bool ellipsoid;  // the kernels read the selected ellipsoid's shape
  // The kind stores the ellipsoid's pair (SemiMajor, AxisRatio) before its
  // not-ready test, so a refused call stores it too.
  bool axesWhenRefused = false;
  // A code the forward reports after its not-ready code (0: none).
  int alsoRefusedForward = 0;
  // The inverse of mirror pairs for the row (null: pixel by pixel; never
  // with a row kernel).
  PairKernel inversePair = nullptr;
  // The kind's latitude key, for latitude bands (null: none).
  BandKey bandKey = nullptr;
  // The inverse solves for the latitude by iteration where the forward has
  // it in closed form, so that a forward costs a fraction of an inverse.
  bool inverseSolves = false;
  // The untilted map is not its own mirror image about the central column
  // (the interrupted Mollweide's lobes lie where they lie).
  bool lopsided = false;

  // Copies with one part changed, for the family tables.
  template <class T>
  constexpr KindEntry With(T KindEntry::*part, T value) const {
    KindEntry e = *this;
    e.*part = value;
    return e;
  }
  constexpr KindEntry Leaving(Leaves forward, Leaves inverse) const {
    return With(&KindEntry::leavesForward, forward).With(&KindEntry::leavesInverse, inverse);
  }
  constexpr KindEntry ReadyWhen(Readiness forward, Readiness inverse) const {
    return With(&KindEntry::readyForward, forward).With(&KindEntry::readyInverse, inverse);
  }
  constexpr KindEntry WithCodes(int forward, int inverse) const {
    return With(&KindEntry::notReadyForward, forward).With(&KindEntry::notReadyInverse, inverse);
  }
  constexpr KindEntry AlsoRefusing(int code) const {
    return With(&KindEntry::alsoRefusedForward, code);
  }
  constexpr KindEntry PreparedBy(PrepareFn p) const { return With(&KindEntry::prepare, p); }
  constexpr KindEntry Mirrored(PairKernel pair) const { return With(&KindEntry::inversePair, pair); }
  constexpr KindEntry Banded(BandKey key) const { return With(&KindEntry::bandKey, key); }
  constexpr KindEntry Solving() const { return With(&KindEntry::inverseSolves, true); }
  constexpr KindEntry Lopsided() const { return With(&KindEntry::lopsided, true); }
  constexpr KindEntry Ellipsoidal(bool axesWhenRefused = false) const {
    return With(&KindEntry::ellipsoid, true).With(&KindEntry::axesWhenRefused, axesWhenRefused);
  }
};

// The usual entry: not-ready codes F (forward) and F + 1 (inverse), Ready
// with a radius of 0.01 pixel at least, the pair left as it came when
// refused; the inverse through the row kernel when the kind has one.
constexpr KindEntry Kind(TProjection kind, int row, ForwardKernel forward, InverseKernel inverse,
                         RowKernel rows, int F, std::uint8_t preSteps) {
  return {kind, row, forward, inverse, rows, nullptr, F, F + 1, Readiness::Radius,
          Readiness::Radius, Leaves::Input, Leaves::Input, preSteps, false, false, 0};
}

// The pseudocylindrical kinds: the forward after the latitude fold and the
// longitude wrap, the inverse through a row kernel.
inline constexpr std::uint8_t kPseudocylindricalPreSteps = kFoldsLatitude | kWrapsLongitude;
template <RowKernel Rows>
constexpr KindEntry Pseudocylindrical(TProjection kind, int row, ForwardKernel forward, int F);

// Every family's table, assembled into the dispatch once.
std::span<const KindEntry> CylindricalKinds();
std::span<const KindEntry> TransverseKinds();
std::span<const KindEntry> AzimuthalKinds();
std::span<const KindEntry> ConicKinds();
std::span<const KindEntry> PseudocylindricalKinds();
std::span<const KindEntry> MollweideKinds();
std::span<const KindEntry> McBrydeThomasKinds();
std::span<const KindEntry> WagnerUrmaevKinds();
std::span<const KindEntry> OtherPseudocylindricalKinds();
std::span<const KindEntry> WorldKinds();
std::span<const KindEntry> GridKinds();

// The entry of a kind, or null when it has no routines.
const KindEntry* EntryOf(TProjection kind);

// ---- The constant block -----------------------------------------------------------

inline constexpr std::size_t kFamilyBytes = 160;

struct LatitudeBands;

struct Prepared {
  const KindEntry* entry = nullptr;  // the kind's entry (null: no routines)
  // Set by the frame for the rows of a picture's colour pass (see
  // LatitudeBands).
  const LatitudeBands* bands = nullptr;
  // Set by the frame for the rows that a map layer draws, whose refused
  // pixels count by their code alone: a kernel may then refuse a pixel that
  // lies off the map whatever its latitude without solving for it.
  bool drawing = false;
  // The pixels answered without their exact latitude, by a band or as such
  // a refusal: their fields are worked out again where they count.
  mutable std::uint32_t banded = 0;
  bool readyForward = false, readyInverse = false;
  bool cutOff = false;
  bool tilted = false;
  // The parameters, as the component held them when the block was made.
  double R = 0, theta = 0, phi0 = 0, phi1 = 0, phi2 = 0, other = 0, x0 = 0, y0 = 0;
  Shape shape{};  // the selected ellipsoid, for kinds that read it
  Rotation tiltForward{}, tiltInverse{};
  // A family's own constants, made by its PrepareFn.
  alignas(16) unsigned char family[kFamilyBytes] = {};

  int Row() const { return entry->row; }

  template <class T>
  void SetFamily(const T& v) {
    static_assert(std::is_trivially_copyable_v<T> && sizeof(T) <= kFamilyBytes &&
                  alignof(T) <= 16);
    new (family) T(v);
  }
  template <class T>
  const T& Family() const {
    static_assert(std::is_trivially_copyable_v<T> && sizeof(T) <= kFamilyBytes);
    return *std::launder(reinterpret_cast<const T*>(family));
  }

  // ---- The shared steps of the kernels --------------------------------------------
  // The unit-plane point (u, v), v to the north, as map pixels.
  Out ToPixels(double u, double v, int code = 0) const { return Result(R * u + x0, y0 - R * v, code); }
  // The pixel as a unit-plane point.
  double UnitX(double x) const { return (x - x0) / R; }
  double UnitY(double y) const { return (y0 - y) / R; }
  // Range check of an inverse result relative to Theta, with the status the
  // kernel found (1 longitude, 2 latitude, higher its own): the code B + s,
  // or on success 0 with Theta added back. A NaN is no position: when
  // nothing else failed, it fails the check its coordinate would have failed
  // out of range.
  Out Finish(int B, int s, double lambda, double phi) const {
    if (lambda > kPi || lambda < -kPi) s = 1;
    constexpr double L = 1.5707953267948966;  // pi/2 - 1e-6
    if (phi >= L || phi <= -L) s = 2;
    if (s == 0 && (std::isnan(lambda) || std::isnan(phi))) s = std::isnan(phi) ? 2 : 1;
    if (s != 0) return Result(lambda, phi, B + s);
    return Result(lambda + theta, phi);
  }
  // Check of an absolute inverse result (equirectangular, Braun, equal-area,
  // sinusoidal): false when out of range (or NaN); otherwise wraps lambda by
  // absolute bounds.
  bool StrictCheckAndWrap(double& lambda, double phi) const {
    if (!(phi <= kHalfPi && phi >= -kHalfPi && lambda <= theta + kPi && lambda >= theta - kPi))
      return false;
    if (lambda < -kPi) lambda += kTwoPi;
    if (lambda > kPi) lambda -= kTwoPi;
    return true;
  }
};

static_assert(std::is_trivially_copyable_v<Prepared>);

// True when v lies outside [lo, hi]. A NaN counts as outside, so that no
// undefined intermediate is ever reported as a point of the map.
inline bool OutOfRange(double v, double lo, double hi) { return !(v >= lo && v <= hi); }

// Pixel i of a row, as the caller's x0 + i * step would be.
inline double PixelAt(RowPixels p, int i) {
  return i == 0 ? p.x0 : p.x0 + static_cast<double>(i) * p.step;
}

// Fills out[0..count) with column(x) for the pixels of the row.
template <class Column>
inline void ForEachPixel(RowPixels x0, int first, int count, Out* out, Column column) {
  for (int i = 0; i < count; ++i) out[i] = column(PixelAt(x0, first + i));
}

// The inverse of one pixel through a row kernel: what the colour pass gets
// row by row, a single call gets the same way.
template <RowKernel Rows>
Out InverseThroughRow(const Prepared& k, double x, double y) {
  Out o;
  Rows(k, y, x, 0, 1, &o);
  return o;
}

// The part of an inverse that a pixel and its mirror image share (worked
// out from their distance to the centre and their row), kept from the first
// of the two for the second. It is taken only when the inputs it came from
// are the same to the bit, and worked out afresh otherwise, so that a pair
// gives what two single calls give by construction.
template <class Value>
class MirrorShare {
 public:
  template <class Work>
  Value Get(double a, double b, Work work) {
    const std::uint64_t ka = std::bit_cast<std::uint64_t>(a), kb = std::bit_cast<std::uint64_t>(b);
    if (!had_ || ka != a_ || kb != b_) {
      value_ = work();
      a_ = ka;
      b_ = kb;
      had_ = true;
    }
    return value_;
  }

 private:
  bool had_ = false;
  std::uint64_t a_ = 0, b_ = 0;
  Value value_{};
};

// Latitude bands of a plate carree picture sampled at its nearest row: band
// j runs between the borders of two picture rows, less a margin of
// kBandSlack at each border, and is kept as the interval of the kind's key
// (BandKey) that its latitudes give. A pixel whose key lies in a band's
// interval takes its row from that band whatever its exact latitude; the
// kernel then hands out the band's middle latitude instead of solving for
// it. The margin is far wider than the solvers' tolerances and the fold's
// rounding (below 2e-8 radian), so the exact latitude lies in the same band.
// Only the bands between two borders are kept: near a pole the solvers
// have cases of their own, and those pixels are solved as always.
struct LatitudeBands {
  static constexpr double kBandSlack = 1e-6;  // radians
  // What the keys were made from: bands fit a block only with these.
  const KindEntry* entry = nullptr;
  double phi1 = 0, phi2 = 0, other = 0, e = 0;
  std::vector<double> lo, hi, middle;  // ascending, disjoint intervals

  bool Fits(const Prepared& k) const;
  bool Find(double key, double& latitude) const {
    const auto it = std::upper_bound(lo.begin(), lo.end(), key);
    if (it == lo.begin()) return false;
    const std::size_t i = static_cast<std::size_t>(it - lo.begin()) - 1;
    if (!(key <= hi[i])) return false;  // NaN too
    latitude = middle[i];
    return true;
  }
};

// The bands for a picture of `rows` rows, or null when the kind has no key,
// rows is out of range, or the keys do not make disjoint intervals.
std::shared_ptr<const LatitudeBands> MakeLatitudeBands(const Prepared& k, int rows);

// The latitude that a mirror pair shares: from the bands when they know it
// (banded(middle) makes the value), otherwise worked out once per pair.
template <class Value, class Banded, class Work>
Value SharedLatitude(const Prepared& k, double key, MirrorShare<Value>& share, Banded banded,
                     Work work) {
  double middle;
  if (k.bands && k.bands->Find(key, middle)) {
    ++k.banded;
    return banded(middle);
  }
  return share.Get(key, 0, work);
}

// An inverse kernel written once with a share, as the single kernel (a share
// of its own, always worked out) and as the pair kernel (one share for both).
template <class Value, Out (*Inverse)(const Prepared&, double, double, MirrorShare<Value>&)>
Out InverseAlone(const Prepared& k, double x, double y) {
  MirrorShare<Value> share;
  return Inverse(k, x, y, share);
}
template <class Value, Out (*Inverse)(const Prepared&, double, double, MirrorShare<Value>&)>
void InversePair(const Prepared& k, double y, double x, double mirror, Out& atX, Out& atMirror) {
  MirrorShare<Value> share;
  atX = Inverse(k, x, y, share);
  atMirror = Inverse(k, mirror, y, share);
}

template <RowKernel Rows>
constexpr KindEntry Pseudocylindrical(TProjection kind, int row, ForwardKernel forward, int F) {
  return Kind(kind, row, forward, InverseThroughRow<Rows>, Rows, F, kPseudocylindricalPreSteps);
}

inline constexpr double kOneThird = 1.0 / 3.0;
inline constexpr double kTwoThirds = 2.0 / 3.0;

// Runs the kind's inverse routine alone, as the frame runs it before the
// tilt and the fold: the not-ready test, the kernel, SetError. For tests that
// look at what a routine leaves.
void RunInverseRoutine(TGxProjectionL& p, double x, double y);

}  // namespace gx
