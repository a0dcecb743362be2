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
  double (*position)(const TDistortion& d);
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
      {TBackground::AreaDistortion, BlueRedScale,
       [](const TDistortion& d) { return (std::log2(d.Area) + 2) / 4; },
       QT_TRANSLATE_NOOP("Legend", "Flächenverzerrung"),
       {{0, "¼"}, {0.25, "½"}, {0.5, "1"}, {0.75, "2"}, {1, "4"}}},
      {TBackground::AngleDistortion, ViridisScale,
       [](const TDistortion& d) { return d.Angle() / gx::kHalfPi; },
       QT_TRANSLATE_NOOP("Legend", "Winkelverzerrung"),
       {{0, "0°"}, {1.0 / 3, "30°"}, {2.0 / 3, "60°"}, {1, "90°"}}},
  };
  for (const TScaleView& view : kViews)
    if (view.shows == shows) return view;
  return kViews[1];  // the Earth picture has no legend; asked anyway, the angles
}

// Where the legend's parts go.
struct TLegendLayout {
  QFont font;
  QRect box, bar;
  int titleBaseline = 0, labelBaseline = 0;
};

// A pixel without a value.
constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
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
  return ViewOf(shows).position(d);
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

// The inverses of a row of pixels as the inverse leaves them: the map shows
// pixel i where code[i] is 0.
struct TGeoRow {
  std::vector<double> lon, lat;
  std::vector<int> code;
  TGeo At(std::size_t i) const { return {lon[i], lat[i], code[i] == 0}; }
  void Resize(std::size_t m, int codes = 0) {
    lon.resize(m);
    lat.resize(m);
    code.assign(m, codes);
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

// The places of the n pixels (c + k*step, r), k = 0 .. n-1, through q.
void GeoRow(TGxProjectionL& q, int r, int c, int step, int n, TGeoRow& row) {
  row.Resize(static_cast<std::size_t>(n));
  PlacesRow(q, r, c, n, row.lon.data(), row.lat.data(), row.code.data(), step);
}

// The inverses of whole rows, one pixel beyond either end, shared by the
// threads that draw a distortion map: each row serves its own span and those
// of the rows above and below, so that every pixel costs one inverse, not
// three. A row is worked out once, by whichever thread needs it first, and
// let go when the last of its three users is done, so that only the rows
// being drawn are held, at any size of map.
class TRowStore {
 public:
  // Rows 0, step, 2 step ... of a map `units` rows of spans high, n pixels
  // (c = k * step) wide.
  TRowStore(int units, int step, int n)
      : step_(step), n_(n), slots_(static_cast<std::size_t>(units) + 2) {
    for (std::size_t j = 0; j < slots_.size(); ++j) {
      // Slot j holds row (j - 1) * step, which the spans of units j - 2 .. j use.
      int users = 0;
      for (int u = static_cast<int>(j) - 2; u <= static_cast<int>(j); ++u)
        users += u >= 0 && u < units;
      slots_[j].users = users;
    }
  }

  // The rows above, of and below the span of unit u, worked out through q
  // (the thread's own copy of the component) where not yet had.
  const TGeoRow& Row(int u, int dy, TGxProjectionL& q) {
    Slot& slot = slots_[static_cast<std::size_t>(u + 1 + dy)];
    std::call_once(slot.once, [&] { GeoRow(q, (u + dy) * step_, -step_, step_, n_ + 2, slot.row); });
    return slot.row;
  }

  // Unit u is done with its three rows.
  void Done(int u) {
    for (int dy = -1; dy <= 1; ++dy) {
      Slot& slot = slots_[static_cast<std::size_t>(u + 1 + dy)];
      if (slot.users.fetch_sub(1, std::memory_order_acq_rel) == 1) slot.row = TGeoRow();
    }
  }

 private:
  struct Slot {
    std::once_flag once;
    std::atomic<int> users{0};
    TGeoRow row;
  };
  const int step_, n_;
  std::vector<Slot> slots_;
};

// One span of a distortion map's row: its pixels' places on the scale.
// Every pixel has its longitude and latitude from the inverse, and so have
// its neighbours left and right and in the rows above and below; their
// differences are the inverse's derivatives, whose inverse matrix is the
// forward's: Tissot's quantities from the inverses alone (one a pixel when
// the threads share whole rows through a TRowStore, three when a span works
// out its neighbour rows by itself). A pixel takes that value where the
// map is smooth around it: both neighbours on each axis shown, and the steps
// to them alike (no cut, no edge, no interruption between); failing that,
// points a quarter of a pixel away on that axis. Elsewhere (the map's rim, a
// cut, a pole) the probe works it out from the forward by itself.
class TSpanPlaces {
 public:
  TSpanPlaces(TGxProjectionL& p, const TScaleView& view, int r, int c, int step, int n)
      : p_(p), view_(view), probe_(p), r_(r), c_(c), step_(step), n_(n) {
    // Every pixel through the inverse first, in order, as the colour layer;
    // the neighbours beyond the ends are not known yet.
    own_.Resize(static_cast<std::size_t>(n) + 2, kUnknown);
    PlacesRow(p, r, c, n, own_.lon.data() + 1, own_.lat.data() + 1, own_.code.data() + 1, step);
    row_ = &own_;
  }

  // A whole row whose inverses, and those of the rows above and below, a
  // store shared by the threads holds: no inverse of its own.
  TSpanPlaces(TGxProjectionL& p, const TScaleView& view, int r, int step,
              const TGeoRow& up, const TGeoRow& own, const TGeoRow& down)
      : p_(p), view_(view), probe_(p), r_(r), c_(0), step_(step),
        n_(static_cast<int>(own.code.size()) - 2) {
    row_ = &own;
    up_ = &up;
    down_ = &down;
  }

  // The place of pixel k, or NaN where the map shows nothing or has no value.
  double Of(int k) {
    if (row_->code[k + 1] != 0) return kNoValue;
    double place;
    if (FromNeighbours(k, place)) return place;
    return Probed(k);
  }

 private:
  // The code of a neighbour beyond the span's ends whose inverse is not
  // worked out yet (no kind has it).
  static constexpr int kUnknown = std::numeric_limits<int>::min();

  int Column(int k) const { return c_ + k * step_; }

  // The rows above and below the span, one pixel beyond each end, through a
  // copy of the component (p's calls stay those of the colour layer).
  void NeighbourRows() {
    if (up_) return;
    Aside();
    GeoRow(*aside_, r_ - step_, c_ - step_, step_, n_ + 2, ownUp_);
    GeoRow(*aside_, r_ + step_, c_ - step_, step_, n_ + 2, ownDown_);
    up_ = &ownUp_;
    down_ = &ownDown_;
  }

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
    auto east = [](double to, double from) {
      double d = to - from;
      if (d > 180) d -= 360;
      if (d < -180) d += 360;
      return d;
    };
    const double lonA = east(c.lon, a.lon), lonB = east(b.lon, c.lon);
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

  // The slope across pixel k on one axis from its neighbours a and b, or
  // from points a quarter pixel away where the neighbours cannot tell it.
  bool SlopeAt(int k, const TGeo& a, const TGeo& centre, const TGeo& b, double kEast,
               bool vertical, double& dLon, double& dLat) {
    switch (Slope(a, centre, b, kEast, step_, dLon, dLat)) {
      case Fit::Smooth: return true;
      case Fit::Broken: return false;
      case Fit::Missing:
      case Fit::Bent: break;
    }
    return Finer(k, centre, kEast, vertical, dLon, dLat);
  }

  bool FromNeighbours(int k, double& place) {
    // The neighbours beyond the span's ends.
    if (k == 0) Probe(-1);
    if (k == n_ - 1) Probe(n_);
    NeighbourRows();
    const TGeoRow& row = *row_;
    const std::size_t i = static_cast<std::size_t>(k) + 1;
    const TGeo centre = row.At(i), left = row.At(i - 1), right = row.At(i + 1);
    if (!(centre.lat == cosOf_)) {
      cos_ = std::cos(centre.lat * gx::kDegToRad);
      cosOf_ = centre.lat;
    }
    const double kEast = cos_;
    double lonX, latX, lonY, latY;
    if (!SlopeAt(k, left, centre, right, kEast, false, lonX, latX) ||
        !SlopeAt(k, up_->At(i), centre, down_->At(i), kEast, true, lonY, latY))
      return false;
    TDistortion d;
    if (!probe_.FromInverseSlopes(centre.lon, centre.lat, Column(k), r_, lonX, lonY, latX, latY,
                                  d))
      return false;
    place = std::clamp(view_.position(d), 0.0, 1.0);  // beyond the ends, the ends
    return true;
  }

  // Where the map bends too much within a pixel for its neighbours to tell
  // the slope (near a pole of a pseudocylinder, the far ends of its
  // equator), or one neighbour lies beyond the rim, the same test on points
  // a quarter of a pixel away along one axis: a smooth map passes it, a cut
  // or an interruption still does not. On most kinds two inverses cost
  // less than the forward probe.
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
    if (step_ != 1 || ++f.asked <= kAlone) return false;
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

  // The inverse of pixel k (-1 or n, just beyond the span) if not yet had.
  void Probe(int k) {
    if (row_->code[k + 1] != kUnknown) return;
    Aside();
    aside_->Inverse(Column(k), r_);
    own_.code[k + 1] = aside_->ErrorCode;
    own_.lon[k + 1] = aside_->X;
    own_.lat[k + 1] = aside_->Y;
  }

  // Pixel k's place from the forward alone.
  double Probed(int k) {
    const TGeo at = row_->At(static_cast<std::size_t>(k) + 1);
    TDistortion d;
    if (!at.shown || !probe_.At(at.lon, at.lat, Column(k), r_, d)) return kNoValue;
    return std::clamp(view_.position(d), 0.0, 1.0);  // beyond the ends, the ends
  }

  TGxProjectionL& p_;
  const TScaleView& view_;
  // The probe's own copy of the component serves the whole span: its
  // Forward calls fire no event and leave p's fields as Inverse left them.
  TDistortionProbe probe_;
  std::optional<TGxProjectionL> aside_;
  const int r_, c_, step_, n_;
  // The span's row and those above and below, pixels -1 .. n: the store's,
  // or the span's own (where only its neighbours beyond the ends change).
  const TGeoRow* row_ = nullptr;
  const TGeoRow* up_ = nullptr;
  const TGeoRow* down_ = nullptr;
  TGeoRow own_, ownUp_, ownDown_;
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
  const int units = (target.height() + step - 1) / step, across = (W + step - 1) / step;
  // Threads draw whole rows, each through a copy of the component; one
  // thread (a handler or a converter on the component) draws spans of rows
  // through the component itself, which must see each pixel's inverse in
  // order, and works out the rows beside them aside.
  TRowStore rows(units, step, across);
  DrawPixelColours(in, target, progress, [&](TGxProjectionL& p) {
    const bool shared = &p != &in.p;
    return [&p, &view, &scale, &rows, across, shared](int r, int c, int step, int n,
                                                         std::uint8_t* bgr, char* painted) {
      std::optional<TSpanPlaces> held;
      const int u = r / step;
      const bool whole = shared && c == 0 && n == across;
      if (whole)
        held.emplace(p, view, r, step, rows.Row(u, -1, p), rows.Row(u, 0, p), rows.Row(u, 1, p));
      else
        held.emplace(p, view, r, c, step, n);
      TSpanPlaces& places = *held;
      for (int k = 0; k < n; ++k) {
        const double at = places.Of(k);
        painted[k] = !std::isnan(at);
        if (!painted[k]) continue;
        const TColourScale::Bgr& colour = scale.At(at);
        std::copy(colour.begin(), colour.end(), bgr + 3 * k);
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
      const TColourScale::Bgr& c = scale.At(static_cast<double>(i) / (bar.width() - 1));
      uchar* d = row + 3 * (bar.left() + i);
      d[0] = c[0];
      d[1] = c[1];
      d[2] = c[2];
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
