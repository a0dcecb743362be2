#include "mapimage/DistortionLayer.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "mapimage/PixelMath.h"
#include "mapimage/PixelRows.h"
#include "projection/Distortion.h"

namespace {

struct TTick {
  double position;
  const char* text;  // UTF-8
};

// What a distortion background shows, and how its legend reads.
struct TScaleView {
  TBackground shows;
  const TColourScale& (*scale)();
  // The quantity shown, a value that grows along the scale, and the value
  // at a position of the scale (0 to 1); the position of a point is
  // position(value(d)).
  double (*value)(const TDistortion& d);
  double (*valueAt)(double position);
  double (*position)(double value);
  const char* title;  // UTF-8, German; shown in the window's language
  std::vector<TTick> ticks;
};

// The legend's title as the installed translations have it: the window's
// language; weltnetz-render installs none and draws the German one.
QString TitleOf(const TScaleView& view) {
  return QCoreApplication::translate("Legend", view.title);
}

const TScaleView& ViewOf(TBackground shows) {
  static const TScaleView kViews[] = {
      // log2 of the areal scale from -2 to 2: a quarter to four times the area.
      {TBackground::AreaDistortion, BlueRedScale, [](const TDistortion& d) { return d.Area; },
       [](double position) { return std::exp2(4 * position - 2); },
       [](double area) { return (std::log2(area) + 2) / 4; },
       QT_TRANSLATE_NOOP("Legend", "Flächenverzerrung"),
       {{0, "¼"}, {0.25, "½"}, {0.5, "1"}, {0.75, "2"}, {1, "4"}}},
      // The angle from 0 to 90 degrees, 2 asin((A - B)/(A + B)); the value
      // is the sine of its half.
      {TBackground::AngleDistortion, ViridisScale,
       [](const TDistortion& d) { return d.A + d.B > 0 ? (d.A - d.B) / (d.A + d.B) : 0; },
       [](double position) { return std::sin(position * gx::kHalfPi / 2); },
       [](double sine) { return 2 * std::asin(sine) / gx::kHalfPi; },
       QT_TRANSLATE_NOOP("Legend", "Winkelverzerrung"),
       {{0, "0°"}, {1.0 / 3, "30°"}, {2.0 / 3, "60°"}, {1, "90°"}}},
  };
  for (const TScaleView& view : kViews)
    if (view.shows == shows) return view;
  return kViews[1];  // the Earth picture has no legend; asked anyway, the angles
}

// A view's colours by value: the values at the borders between neighbouring
// colours, worked out once, so that a pixel's colour needs no logarithm or
// arcsine; and since neighbouring pixels have nearby values, the search
// starts from the last pixel's colour and is a step or two. A value on a
// border takes the upper colour, as a position rounded half up does.
class TScaleIndex {
 public:
  static constexpr int kSize = TColourScale::kSize;

  static const TScaleIndex& Of(const TScaleView& view) {
    static const TScaleIndex area(ViewOf(TBackground::AreaDistortion));
    static const TScaleIndex angle(ViewOf(TBackground::AngleDistortion));
    return view.shows == TBackground::AreaDistortion ? area : angle;
  }

  // The colour of a value, from the colour `from`; -1 for NaN.
  int Find(double value, int from) const {
    if (std::isnan(value)) return -1;
    int i = std::clamp(from, 0, kSize - 1);
    while (i < kSize - 1 && !(value < border_[i])) ++i;
    while (i > 0 && value < border_[i - 1]) --i;
    return i;
  }

 private:
  explicit TScaleIndex(const TScaleView& view) {
    for (int i = 0; i < kSize - 1; ++i) border_[i] = view.valueAt((i + 0.5) / (kSize - 1));
  }
  double border_[kSize - 1];  // between colour i and colour i + 1
};

// Where the legend's parts go.
struct TLegendLayout {
  QFont font;
  QRect box, bar;
  int titleBaseline = 0, labelBaseline = 0;
};

// The steps on the globe from a pixel to its two neighbours on one axis are
// alike when they differ by at most this share of their lengths: a smooth
// map has them nearly equal; a cut, a fold or an interruption between makes
// them differ by far more.
constexpr double kAlike = 0.02;

constexpr int kMargin = 6;       // from the map's corner
constexpr int kPad = 6;          // inside the box
constexpr int kBarWidth = 140;
constexpr int kBarHeight = 10;
constexpr int kTickLength = 3;
constexpr int kLegendPixels = 11;  // font size

bool LayOut(const TScaleView& view, const QImage& target, const TMapLook& look,
            TLegendLayout& out) {
  out.font = look.Font;
  out.font.setPixelSize(kLegendPixels);
  const QFontMetrics fm(out.font, &target);
  const QString first = QString::fromUtf8(view.ticks.front().text);
  const QString last = QString::fromUtf8(view.ticks.back().text);
  const int left = std::max(kPad, fm.horizontalAdvance(first) / 2 + 2);
  const int right = std::max(kPad, fm.horizontalAdvance(last) / 2 + 2);
  const int width = std::max(left + kBarWidth + right,
                             fm.horizontalAdvance(TitleOf(view)) + 2 * kPad);
  const int height = kPad + fm.height() + 3 + kBarHeight + kTickLength + fm.height() + kPad;
  if (width + 2 * kMargin > target.width() || height + 2 * kMargin > target.height()) return false;
  out.box = QRect(kMargin, target.height() - kMargin - height, width, height);
  out.titleBaseline = out.box.top() + kPad + fm.ascent();
  out.bar = QRect(out.box.left() + left, out.box.top() + kPad + fm.height() + 3, kBarWidth,
                  kBarHeight);
  out.labelBaseline = out.bar.bottom() + 1 + kTickLength + fm.ascent();
  return true;
}

}  // namespace

const TColourScale& DistortionScale(TBackground shows) { return ViewOf(shows).scale(); }

double DistortionScalePosition(TBackground shows, const TDistortion& d) {
  const TScaleView& view = ViewOf(shows);
  return view.position(view.value(d));
}

std::int64_t TDistortionLayer::Steps(const TLayerInput&, const QImage& target) const {
  return std::int64_t{target.width()} * target.height();
}

namespace {

// A pixel's longitude and latitude (degrees), and whether the map shows it.
struct TGeo {
  double lon, lat;
  bool shown;
};

// How far a pixel's slopes look along each axis: to its neighbours.
constexpr int kReach = 1;

// The places of a run of pixels of one row, as the inverse leaves them (the
// map shows pixel i where code[i] is 0), with `readOff` marking those read
// off the lattice or the mirror image (below), not the pixel's own inverse.
struct TGeoRow {
  std::vector<double> lon, lat;
  std::vector<int> code;
  std::vector<char> readOff;
  // The lattice's places while the row is worked out: kept with the row so
  // that a row used again needs no memory of its own.
  std::vector<double> latticeLon, latticeLat;
  std::vector<int> latticeCode;
  TGeo At(std::size_t i) const { return {lon[i], lat[i], code[i] == 0}; }
  void Resize(std::size_t m) {
    lon.resize(m);
    lat.resize(m);
    code.assign(m, 0);
    readOff.assign(m, 0);
  }
  void DropFirst(std::size_t m) {
    lon.erase(lon.begin(), lon.begin() + m);
    lat.erase(lat.begin(), lat.begin() + m);
    code.erase(code.begin(), code.begin() + m);
    readOff.erase(readOff.begin(), readOff.begin() + m);
  }
};

// InverseRow for the distortion map, without the fold's cost: the angles as
// the kind leaves them, in degrees, wrapped by a whole turn where needed.
// The fold would add nothing but its own rounding (up to 1e-6 degree next to
// +-90 degrees of longitude), far below what the steps between neighbours
// can show; angles beyond a plain wrap's reach are folded as Inverse folds
// them.
void PlacesRow(TGxProjectionL& q, double y, double x0, int n, double* lon, double* lat, int* code,
               int step = 1) {
  if (!q.InverseRowUnfolded(y, x0, n, lon, lat, code, step)) return;  // degrees already
  for (int i = 0; i < n; ++i)
    if (code[i] == 0 && !PlainDegrees(lon[i], lat[i], lon[i], lat[i]))
      TGxProjectionL::FoldedDegrees(lon[i], lat[i], lon[i], lat[i]);
}

// The longitude `to` as seen from `from` the short way round (degrees).
double EastOf(double to, double from) {
  double d = to - from;
  if (d > 180) d -= 360;
  if (d < -180) d += 360;
  return d;
}

// The rows of a distortion map cost an inverse a pixel, and on the kinds
// that solve for their latitude (the conics above all) that is most of the
// map's time. Where a row runs smoothly, its inverse is taken at every
// kLattice-th pixel only and the pixels between are read off a cubic
// through the four nearest of those, as an approximating transformer reads
// a warp off its exactly transformed points. The cubic's error in the
// middle of a gap is 9/16 h^4 f''''/4!, about 0.023 of the lattice's fourth
// difference; the lattice counts as smooth where that difference stays
// below kSmooth of a lattice step, and the places are then right to about
// 1e-4 of a pixel's step, a hundredth of what one step of a colour scale
// shows. A cut, an interruption, the rim or a pole near the lattice's
// points bends it far more; those stretches are worked out pixel by pixel.
constexpr int kLattice = 4;
constexpr double kSmooth = 1e-3 * kLattice;

// Lagrange weights of the cubic through the lattice points j-1, j, j+1, j+2
// at j + i/kLattice, i = 1 .. kLattice-1.
struct TCubicWeights {
  double w[kLattice][4];
  constexpr TCubicWeights() : w{} {
    for (int i = 1; i < kLattice; ++i) {
      const double t = static_cast<double>(i) / kLattice;
      w[i][0] = -t * (t - 1) * (t - 2) / 6;
      w[i][1] = (t + 1) * (t - 1) * (t - 2) / 2;
      w[i][2] = -(t + 1) * t * (t - 2) / 2;
      w[i][3] = (t + 1) * t * (t - 1) / 6;
    }
  }
};
constexpr TCubicWeights kCubic;

// The pixels of a distortion map's rows: pixel k of a row sits in column
// k * step, k = -kReach .. across + kReach - 1 (the neighbours beyond the
// image's sides included). The lattice is fixed by the row, not by the run
// asked for, so that every run of a row gets the same places for the same
// pixel, whichever thread asks.
struct TRowGrid {
  int step, across;
  // Where the map is its own mirror image about a column (MirrorPixels: an
  // untilted map of every kind but the interrupted Mollweide), pixel k shows
  // pixel mirror - k's place with its longitude reflected about the central
  // meridian (degrees); mirror is -1 where it does not.
  int mirror = -1;
  double meridian = 0;
  int Count() const { return across + 2 * kReach; }  // pixels of a whole row
};

// The row grid of a map whose columns 0, step, 2 step ... are drawn through
// p, with the mirror where p's map has one on the grid.
TRowGrid RowGridOf(TGxProjectionL& p, int width, int step) {
  TRowGrid g{step, (width + step - 1) / step};
  // An image within reach of the row, or no mirror worth having.
  double m;
  if (p.MirrorPixels(0, step, m) && m >= 0 && m <= 2.0 * g.Count()) {
    g.mirror = static_cast<int>(m);
    g.meridian = std::remainder(p.Theta * gx::kRadToDeg, 360.0);
  }
  return g;
}

// Pixels kFrom .. kTo - 1 of row r through q, into `row` at index k - base.
void GeoRun(TGxProjectionL& q, const TRowGrid& g, int r, int kFrom, int kTo, int base,
            TGeoRow& row) {
  const int step = g.step;
  double* lon = row.lon.data();
  double* lat = row.lat.data();
  int* code = row.code.data();
  // Whole-row positions i = k + kReach; lattice point L at i = L * kLattice.
  const int iFrom = kFrom + kReach, iTo = kTo + kReach, iBase = base + kReach;
  const int lastL = (g.Count() - 1) / kLattice;
  const int gFirst = iFrom / kLattice, gLast = (iTo - 1) / kLattice;  // gaps touched
  const int lFirst = std::max(0, gFirst - 1), lEnd = std::min(lastL, gLast + 3) + 1;
  const int m = lEnd - lFirst;
  row.latticeLon.resize(static_cast<std::size_t>(m));
  row.latticeLat.resize(row.latticeLon.size());
  row.latticeCode.resize(row.latticeLon.size());
  const double* lLon = row.latticeLon.data();
  const double* lLat = row.latticeLat.data();
  const int* lCode = row.latticeCode.data();
  PlacesRow(q, r, (lFirst * kLattice - kReach) * step, m, row.latticeLon.data(),
            row.latticeLat.data(), row.latticeCode.data(), step * kLattice);
  // Whether gap j (between lattice points j and j + 1) may be read off the
  // cubic: the five points j-1 .. j+3 exist, are shown and run smoothly.
  // The parallel's length at point j, kept while the latitude stays (a row
  // of many kinds keeps it).
  double cosOf = std::numeric_limits<double>::quiet_NaN(), kEast = 1;
  const auto smooth = [&](int j) {
    if (j < 1 || j + 3 > lastL) return false;
    const int a = j - 1 - lFirst;
    for (int i = a; i < a + 5; ++i)
      if (lCode[i] != 0) return false;
    double u[5], v[5];  // east and north of point j, degrees
    if (!(lLat[a + 1] == cosOf)) {
      cosOf = lLat[a + 1];
      kEast = std::cos(cosOf * gx::kDegToRad);
    }
    for (int i = 0; i < 5; ++i) {
      u[i] = kEast * EastOf(lLon[a + i], lLon[a + 1]);
      v[i] = lLat[a + i] - lLat[a + 1];
    }
    const double du = u[2] - u[1], dv = v[2] - v[1];
    const double d4u = u[0] - 4 * u[1] + 6 * u[2] - 4 * u[3] + u[4];
    const double d4v = v[0] - 4 * v[1] + 6 * v[2] - 4 * v[3] + v[4];
    return d4u * d4u + d4v * d4v <= kSmooth * kSmooth * (du * du + dv * dv);  // NaN: false
  };
  // Pixels iFrom + o .. (exact, not yet worked out) go through the row
  // inverse in one call per stretch: a row kernel's work per row is paid
  // once a stretch.
  int pending = 0, pendingFrom = 0;
  const auto flush = [&] {
    const int o = pendingFrom - iBase;
    if (pending > 0)
      PlacesRow(q, r, (pendingFrom - kReach) * step, pending, lon + o, lat + o, code + o, step);
    pending = 0;
  };
  for (int jg = gFirst; jg <= gLast; ++jg) {
    // The gap's pixels (and its lattice point) within the run.
    const int first = std::max(iFrom, jg * kLattice), end = std::min(iTo, (jg + 1) * kLattice);
    if (!smooth(jg)) {
      if (pending == 0) pendingFrom = first;
      pending += end - first;
      continue;
    }
    flush();
    const int a = jg - 1 - lFirst;
    // Both as differences from point j (the points j-1, j+1, j+2): a row
    // along a parallel keeps its latitude exactly.
    const double eLon[3] = {EastOf(lLon[a], lLon[a + 1]), EastOf(lLon[a + 2], lLon[a + 1]),
                            EastOf(lLon[a + 3], lLon[a + 1])};
    const double eLat[3] = {lLat[a] - lLat[a + 1], lLat[a + 2] - lLat[a + 1],
                            lLat[a + 3] - lLat[a + 1]};
    for (int i = first; i < end; ++i) {
      const int t = i - jg * kLattice, at = i - iBase;
      if (t == 0) {  // the lattice point itself
        lon[at] = lLon[a + 1];
        lat[at] = lLat[a + 1];
        code[at] = lCode[a + 1];
        continue;
      }
      const double* w = kCubic.w[t];
      const auto cubic = [w](const double* e) { return w[0] * e[0] + w[2] * e[1] + w[3] * e[2]; };
      lon[at] = EastOf(lLon[a + 1] + cubic(eLon), 0);  // within one turn again
      lat[at] = lLat[a + 1] + cubic(eLat);
      code[at] = 0;
      row.readOff[static_cast<std::size_t>(at)] = 1;
    }
  }
  flush();
}

// Pixels kFrom .. kTo - 1 of row r into `row` (index k - kFrom), through q.
// On a mirrored map the pixels right of the mirror's axis whose image lies
// within the row are that image: only the left half of the row costs
// inverses. Which pixels are images is fixed by the row, not by the run,
// so that every run gets the same places for the same pixel; a run that
// holds images reaches back to their sources.
void GeoRow(TGxProjectionL& q, const TRowGrid& g, int r, int kFrom, int kTo, TGeoRow& row) {
  const int half = g.mirror / 2 + 1, tail = g.mirror + kReach + 1;
  const int imagesTo = std::min(kTo, tail);
  const bool images = g.mirror >= 0 && std::max(kFrom, half) < imagesTo;
  if (!images) {
    row.Resize(static_cast<std::size_t>(kTo - kFrom));
    return GeoRun(q, g, r, kFrom, kTo, kFrom, row);
  }
  const int from = std::min(kFrom, g.mirror - (imagesTo - 1));  // below half
  row.Resize(static_cast<std::size_t>(kTo - from));
  GeoRun(q, g, r, from, half, from, row);
  if (kTo > tail) GeoRun(q, g, r, tail, kTo, from, row);
  for (int k = half; k < imagesTo; ++k) {
    const std::size_t to = static_cast<std::size_t>(k - from);
    const std::size_t image = static_cast<std::size_t>(g.mirror - k - from);
    row.lon[to] = EastOf(2 * g.meridian - row.lon[image], 0);  // both within [-180, 180]
    row.lat[to] = row.lat[image];
    row.code[to] = row.code[image];
    row.readOff[to] = 1;
  }
  if (from < kFrom) row.DropFirst(static_cast<std::size_t>(kFrom - from));
}

// The places of whole rows, shared by the threads that draw a distortion
// map: each row serves its own pixels and the slopes of the rows above
// and below it, so that it is worked out once, not three times; by
// whichever thread needs it first, and let go when the last of its users
// is done, so that only the rows being drawn are held, at any size of map.
class TRowStore {
 public:
  // Rows 0, step, 2 step ... of a map `units` rows of spans high.
  TRowStore(int units, const TRowGrid& grid)
      : grid_(grid), slots_(static_cast<std::size_t>(units) + 2 * kReach) {
    for (std::size_t j = 0; j < slots_.size(); ++j) {
      // Slot j holds row (j - kReach) * step, used by units j - 2 kReach .. j.
      int users = 0;
      for (int u = static_cast<int>(j) - 2 * kReach; u <= static_cast<int>(j); ++u)
        users += u >= 0 && u < units;
      slots_[j].users = users;
    }
  }

  // Row u + dy (|dy| <= kReach), worked out through q (the thread's own copy
  // of the component) where not yet had. A thread that finds the row being
  // worked out by another waits for it, giving way meanwhile: the wait is
  // rare and short (a row), where std::call_once pays a system call for
  // every row. A row whose working out fails (no memory) is left to the
  // next thread that asks, as call_once would.
  const TGeoRow& Row(int u, int dy, TGxProjectionL& q) {
    Slot& slot = slots_[static_cast<std::size_t>(u + kReach + dy)];
    for (;;) {
      int state = kNotStarted;
      if (slot.state.compare_exchange_strong(state, kWorking, std::memory_order_acquire)) {
        Reuse(slot.row);
        try {
          GeoRow(q, grid_, (u + dy) * grid_.step, -kReach, grid_.across + kReach, slot.row);
        } catch (...) {
          slot.state.store(kNotStarted, std::memory_order_release);
          throw;
        }
        slot.state.store(kDone, std::memory_order_release);
        return slot.row;
      }
      if (state == kDone) return slot.row;
      std::this_thread::yield();
    }
  }

  // Unit u is done with its rows.
  void Done(int u) {
    for (int dy = -kReach; dy <= kReach; ++dy) {
      Slot& slot = slots_[static_cast<std::size_t>(u + kReach + dy)];
      if (slot.users.fetch_sub(1, std::memory_order_acq_rel) == 1) Release(slot.row);
    }
  }

 private:
  // Rows let go keep their memory for the rows still to come: as many are
  // held as the threads have in hand (a few), however large the map, and
  // the rows of a map are worked out without asking for memory each.
  void Release(TGeoRow& row) {
    std::lock_guard<std::mutex> lock(spareLock_);
    spare_.push_back(std::move(row));
    row = TGeoRow();
  }
  void Reuse(TGeoRow& row) {
    std::lock_guard<std::mutex> lock(spareLock_);
    if (spare_.empty()) return;
    row = std::move(spare_.back());
    spare_.pop_back();
  }

  enum { kNotStarted, kWorking, kDone };
  struct Slot {
    std::atomic<int> state{kNotStarted};
    std::atomic<int> users{0};
    TGeoRow row;
  };
  const TRowGrid grid_;
  std::vector<Slot> slots_;
  std::mutex spareLock_;
  std::vector<TGeoRow> spare_;
};

// One span of a distortion map's row: its pixels' places on the scale.
// Every pixel has its longitude and latitude from the inverse, and so have
// its neighbours left and right and in the rows above and below; their
// differences are the inverse's derivatives, whose inverse matrix is the
// forward's: Tissot's quantities from the inverses alone (a quarter to one
// a pixel when the threads share whole rows through a TRowStore, more when
// a span works out its neighbour rows by itself). A pixel takes that value
// where the map is smooth around it: both neighbours on each axis shown,
// and the steps to them alike (no cut, no edge, no interruption between);
// failing that, points a quarter of a pixel away on that axis, where the
// kind's inverses come cheaper than the probe's forwards. Elsewhere
// (the map's rim, a cut, a pole) the probe works it out from the forward by
// itself.
class TSpanPlaces {
 public:
  // Pixels c, c + step, ... (n of them) of row r through the component p
  // itself, each pixel's inverse in order as the colour layer has them; the
  // pixels around them aside.
  TSpanPlaces(TGxProjectionL& p, const TScaleView& view, const TRowGrid& grid, int r, int c, int n)
      : p_(p), view_(view), probe_(p), grid_(grid), r_(r), c_(c), n_(n) {
    const int k0 = c / grid.step;
    TGeoRow own;
    own.Resize(static_cast<std::size_t>(n));
    PlacesRow(p, r, c, n, own.lon.data(), own.lat.data(), own.code.data(), grid.step);
    // The same places as a whole row would get: read off the lattice where
    // the row is smooth or off the mirror image, p's own elsewhere.
    Aside();
    for (int dy = -kReach; dy <= kReach; ++dy)
      GeoRow(*aside_, grid, r + dy * grid.step, k0 - kReach, k0 + n + kReach,
             owned_[dy + kReach]);
    TGeoRow& mine = owned_[kReach];
    for (int k = 0; k < n; ++k) {
      const std::size_t i = static_cast<std::size_t>(k + kReach);
      if (mine.readOff[i]) continue;
      mine.lon[i] = own.lon[static_cast<std::size_t>(k)];
      mine.lat[i] = own.lat[static_cast<std::size_t>(k)];
      mine.code[i] = own.code[static_cast<std::size_t>(k)];
    }
    for (int dy = 0; dy <= 2 * kReach; ++dy) rows_[dy] = &owned_[dy];
  }

  // A whole row whose places, and those of the rows around, a store shared
  // by the threads holds: no inverse of its own.
  TSpanPlaces(TGxProjectionL& p, const TScaleView& view, const TRowGrid& grid, int r,
              const TGeoRow* const (&rows)[2 * kReach + 1])
      : p_(p), view_(view), probe_(p), grid_(grid), r_(r), c_(0), n_(grid.across) {
    for (int dy = 0; dy <= 2 * kReach; ++dy) rows_[dy] = rows[dy];
  }

  // The colour of pixel k on the view's scale, or -1 where the map shows
  // nothing or has no value.
  int Of(int k) {
    if (!Own(k).shown) return -1;
    TDistortion d;
    if (!FromNeighbours(k, d) && !Probed(k, d)) return -1;
    const int colour = index_.Find(view_.value(d), last_);
    if (colour >= 0) last_ = colour;
    return colour;
  }

 private:
  int Column(int k) const { return c_ + k * grid_.step; }
  // Pixel k + dx of the row dy rows away.
  TGeo At(int k, int dx, int dy) const {
    return rows_[dy + kReach]->At(static_cast<std::size_t>(k + dx + kReach));
  }
  TGeo Own(int k) const { return At(k, 0, 0); }

  // How the map runs across a pixel c from a to b on one axis.
  enum class Fit {
    Smooth,   // the steps from a to c and from c to b are alike on the globe
    Missing,  // a or b is not on the map (the rim)
    Bent,     // they differ a little more: steps a quarter as long would be alike
    Broken,   // a cut, a fold or an interruption lies between
  };

  // The change of longitude and latitude per pixel across c from a to b
  // (radians), when the map is smooth across c. Longitudes are compared the
  // short way round, and scaled by the parallel's length (kEast, cos of c's
  // latitude); near a pole, where they swing, the steps differ.
  static Fit Slope(const TGeo& a, const TGeo& c, const TGeo& b, double kEast, double step,
                   double& dLon, double& dLat) {
    if (!a.shown || !b.shown) return Fit::Missing;
    const double lonA = EastOf(c.lon, a.lon), lonB = EastOf(b.lon, c.lon);
    const double latA = c.lat - a.lat, latB = b.lat - c.lat;
    // Squared lengths of steps of a few pixels on the globe: no overflow to
    // guard against.
    auto square = [](double u, double v) { return u * u + v * v; };
    const double sizeA2 = square(kEast * lonA, latA), sizeB2 = square(kEast * lonB, latB);
    const double apart2 = square(kEast * (lonA - lonB), latA - latB);
    // apart <= kAlike (sizeA + sizeB), where (sizeA + sizeB)^2 lies between
    // sizeA^2 + sizeB^2 and twice that: most pixels of a smooth map are
    // decided without a square root, the rest as written.
    // Where the map bends smoothly, the difference shrinks with the step:
    // four times within a quarter pixel. Up to five times the allowance
    // (25 times squared, a little more from the bound) it is worth a look.
    const double both2 = sizeA2 + sizeB2, alike2 = kAlike * kAlike;
    if (!(apart2 <= 2 * alike2 * both2))  // NaN too
      return apart2 <= 50 * alike2 * both2 ? Fit::Bent : Fit::Broken;
    if (!(apart2 <= alike2 * both2) &&
        !(std::sqrt(apart2) <= kAlike * (std::sqrt(sizeA2) + std::sqrt(sizeB2))))
      return Fit::Bent;
    dLon = 0.5 * (lonA + lonB) / step * gx::kDegToRad;
    dLat = 0.5 * (latA + latB) / step * gx::kDegToRad;
    return Fit::Smooth;
  }

  // The slope across pixel k on one axis (dx, dy: the unit step along it)
  // from its neighbours, or from points a quarter pixel away where the
  // neighbours cannot tell it.
  bool SlopeAt(int k, int dx, int dy, const TGeo& centre, double kEast, double& dLon,
               double& dLat) {
    const TGeo a = At(k, -dx, -dy), b = At(k, dx, dy);
    switch (Slope(a, centre, b, kEast, grid_.step, dLon, dLat)) {
      case Fit::Smooth: return true;
      case Fit::Broken: return false;
      case Fit::Missing:
      case Fit::Bent: break;
    }
    return finer_ && Finer(k, centre, kEast, dy != 0, dLon, dLat);
  }

  bool FromNeighbours(int k, TDistortion& d) {
    const TGeo centre = Own(k);
    if (!(centre.lat == cosOf_)) {
      cos_ = std::cos(centre.lat * gx::kDegToRad);
      cosOf_ = centre.lat;
    }
    const double kEast = cos_;
    double lonX, latX, lonY, latY;
    if (!SlopeAt(k, 1, 0, centre, kEast, lonX, latX) ||
        !SlopeAt(k, 0, 1, centre, kEast, lonY, latY))
      return false;
    return probe_.FromInverseSlopes(centre.lon, centre.lat, Column(k), r_, lonX, lonY, latX, latY,
                                    d);
  }

  // Where the map bends too much within a pixel for its neighbours to tell
  // the slope (near a pole of a pseudocylinder, the far ends of its
  // equator), or one neighbour lies beyond the rim, the same test on points
  // a quarter of a pixel away along one axis: a smooth map passes it, a cut
  // or an interruption still does not. On most kinds two inverses cost
  // less than the forward probe; where the inverse solves for its latitude
  // (the conics), the probe costs a fraction of them and goes first.
  bool Finer(int k, const TGeo& centre, double kEast, bool vertical, double& dLon, double& dLat) {
    Aside();
    TGeo before, after;
    if (!FromFine(k, vertical, before, after)) {
      const double x = Column(k), y = r_;
      const double dx = vertical ? 0 : kFine, dy = vertical ? kFine : 0;
      before = InverseAt(x - dx, y - dy);
      after = InverseAt(x + dx, y + dy);
    }
    return Slope(before, centre, after, kEast, kFine, dLon, dLat) == Fit::Smooth;
  }
  // Near a pole, or the rim of an azimuthal map, whole stretches of a row
  // need those points: after a few single ones, they are worked out in
  // blocks of pixels through the row inverse (which gives what single calls
  // give, at a fraction of the cost for most kinds). The map's rim alone
  // never pays for a block.
  bool FromFine(int k, bool vertical, TGeo& before, TGeo& after) {
    constexpr int kAlone = 8, kBlock = 8;
    TFine& f = fine_[vertical ? 1 : 0];
    if (grid_.step != 1 || ++f.asked <= kAlone) return false;
    const std::size_t m = static_cast<std::size_t>(n_);
    if (f.blocks.empty()) {
      f.before.Resize(m);
      f.after.Resize(m);
      f.blocks.assign((m + kBlock - 1) / kBlock, false);
    }
    const std::size_t block = static_cast<std::size_t>(k / kBlock);
    if (!f.blocks[block]) {
      const int first = static_cast<int>(block) * kBlock, count = std::min(kBlock, n_ - first);
      const double dx = vertical ? 0 : kFine, dy = vertical ? kFine : 0;
      for (auto [row, sign] : {std::pair{&f.before, -1.0}, {&f.after, 1.0}})
        PlacesRow(*aside_, r_ + sign * dy, c_ + first + sign * dx, count, row->lon.data() + first,
                  row->lat.data() + first, row->code.data() + first);
      f.blocks[block] = true;
    }
    before = f.before.At(static_cast<std::size_t>(k));
    after = f.after.At(static_cast<std::size_t>(k));
    return true;
  }
  static constexpr double kFine = 0.25;
  TGeo InverseAt(double x, double y) {
    double lon, lat;
    int code;
    PlacesRow(*aside_, y, x, 1, &lon, &lat, &code);
    return {lon, lat, code == 0};
  }

  void Aside() {
    if (aside_) return;
    aside_.emplace(p_);
    aside_->DropHandlers();
    aside_->GxConvert = nullptr;
  }

  // Pixel k's place from the forward alone.
  bool Probed(int k, TDistortion& d) {
    const TGeo at = Own(k);
    return at.shown && probe_.At(at.lon, at.lat, Column(k), r_, d);
  }

  TGxProjectionL& p_;
  const TScaleView& view_;
  const TScaleIndex& index_ = TScaleIndex::Of(view_);
  const bool finer_ = !p_.InverseSolves();  // whether Finer is worth its inverses
  int last_ = 0;  // the colour of the last pixel that had one
  // The probe's own copy of the component serves the whole span: its
  // Forward calls fire no event and leave p's fields as Inverse left them.
  TDistortionProbe probe_;
  std::optional<TGxProjectionL> aside_;
  const TRowGrid grid_;
  const int r_, c_, n_;
  // The span's row (rows_[kReach]) and the rows kReach above and below,
  // pixels -kReach .. n + kReach - 1: the store's, or the span's own.
  const TGeoRow* rows_[2 * kReach + 1] = {};
  TGeoRow owned_[2 * kReach + 1];
  // The points a quarter pixel before and after pixels 0 .. n - 1 on one
  // axis (across, down), in the blocks that are marked.
  struct TFine {
    TGeoRow before, after;
    std::vector<bool> blocks;
    int asked = 0;
  };
  TFine fine_[2];
  // The last latitude's cosine (the rows of many kinds keep their latitude).
  double cosOf_ = std::numeric_limits<double>::quiet_NaN(), cos_ = 1;
};

}  // namespace

int TDistortionLayer::Draw(TLayerInput& in, QImage& target, TDrawProgress& progress) {
  const TScaleView& view = ViewOf(shows_);
  const TColourScale& scale = view.scale();
  const int W = target.width();
  const int step = in.look.Preview ? 2 : 1;
  const int units = (target.height() + step - 1) / step;
  const TRowGrid grid = RowGridOf(in.p, W, step);
  // Threads draw whole rows, each through a copy of the component; one
  // thread (a handler or a converter on the component) draws spans of rows
  // through the component itself, which must see each pixel's inverse in
  // order, and works out the rows around them aside.
  TRowStore rows(units, grid);
  // The colours of the row that the component itself draws, span by span.
  struct {
    int row = -1;
    std::vector<int> colour;
  } own;
  DrawPixelColours(in, target, progress, [&](TGxProjectionL& p) {
    const bool shared = &p != &in.p;
    return [&p, &view, &scale, &rows, &own, grid, shared](int r, int c, int step, int n,
                                                            std::uint8_t* bgr, char* painted) {
      std::optional<TSpanPlaces> held;
      const int u = r / step;
      const bool whole = shared && c == 0 && n == grid.across;
      if (whole) {
        // The row below first: no other unit has asked for it yet, and
        // working it out while another thread works out the row below its
        // own keeps the threads from waiting on each other.
        const TGeoRow* around[2 * kReach + 1];
        for (int dy = kReach; dy >= -kReach; --dy) around[dy + kReach] = &rows.Row(u, dy, p);
        held.emplace(p, view, grid, r, around);
      } else {
        held.emplace(p, view, grid, r, c, n);
      }
      TSpanPlaces& places = *held;
      // On a mirrored map a pixel past the axis takes the colour of its
      // image: the places are mirrored, and so are the slopes. The spans
      // that the component draws keep their row's colours, so that every
      // pixel gets its colour as a whole row would give it.
      const int k0 = c / step;
      if (!shared && own.row != r) {
        own.row = r;
        own.colour.assign(static_cast<std::size_t>(grid.across), -1);
      }
      for (int k = 0; k < n; ++k) {
        const int pixel = k0 + k, image = grid.mirror - pixel;
        const bool mirrored = grid.mirror >= 0 && image >= 0 && image < pixel;
        if (mirrored && image >= k0) {
          painted[k] = painted[image - k0];
          CopyBgr(bgr + 3 * (image - k0), bgr + 3 * k);
          continue;
        }
        const int at = mirrored && !shared ? own.colour[static_cast<std::size_t>(image)]
                                           : places.Of(k);
        if (!shared) own.colour[static_cast<std::size_t>(pixel)] = at;
        painted[k] = at >= 0;
        if (!painted[k]) continue;
        CopyBgr(scale.Entry(at).data(), bgr + 3 * k);
      }
      if (whole) rows.Done(u);
    };
  });
  return 0;
}

QRect TDistortionLegend::Area(const QImage& target, const TMapLook& look) {
  TLegendLayout layout;
  return LayOut(ViewOf(look.Background), target, look, layout) ? layout.box : QRect();
}

int TDistortionLegend::Draw(TLayerInput& in, QImage& target, TDrawProgress&) {
  if (!in.look.DrawColorMap) return 0;
  const TScaleView& view = ViewOf(shows_);
  TLegendLayout layout;
  if (!LayOut(view, target, in.look, layout)) return 0;
  if (target.format() != QImage::Format_BGR888) target = target.convertToFormat(QImage::Format_BGR888);

  const QColor ink(0x30, 0x30, 0x30);
  {
    QPainter painter(&target);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.setBrush(Qt::white);
    painter.drawRect(layout.box.adjusted(0, 0, -1, -1));
  }
  // The bar pixel by pixel, each column the scale's colour at its place.
  const TColourScale& scale = view.scale();
  const QRect& bar = layout.bar;
  for (int y = bar.top(); y <= bar.bottom(); ++y) {
    uchar* row = target.scanLine(y);
    for (int i = 0; i < bar.width(); ++i) {
      CopyBgr(scale.At(static_cast<double>(i) / (bar.width() - 1)).data(),
              row + 3 * (bar.left() + i));
    }
  }
  QPainter painter(&target);
  painter.setFont(layout.font);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setPen(ink);
  painter.drawText(QPoint(layout.box.left() + kPad, layout.titleBaseline), TitleOf(view));
  const QFontMetrics fm(layout.font, &target);
  for (const TTick& tick : view.ticks) {
    const int x = bar.left() + static_cast<int>(std::lround(tick.position * (bar.width() - 1)));
    painter.drawLine(x, bar.bottom() + 1, x, bar.bottom() + kTickLength);
    const QString text = QString::fromUtf8(tick.text);
    painter.drawText(QPoint(x - fm.horizontalAdvance(text) / 2, layout.labelBaseline), text);
  }
  return 0;
}
