#include "mapimage/LineLayers.h"

#include <QFontMetrics>
#include <QLocale>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>

#include "mapimage/Coastlines.h"
#include "mapimage/DrawLine.h"
#include "mapimage/Lanes.h"
#include "mapimage/MapPasses.h"
#include "mapimage/PixelMath.h"

namespace {

// trunc(span / interval) as a loop bound; -1 (no pass) below zero. The caller
// has checked that the quotient is finite and within the sample budget.
std::int64_t LoopBound(double span, double interval) {
  const double q = std::trunc(span / interval);
  return q >= 0 ? static_cast<std::int64_t>(q) : -1;
}

bool CountOk(double span, double interval) {
  const double q = span / interval;
  return std::isfinite(q) && q < static_cast<double>(kMaxGridSamples);
}

// Labels far off the map are invisible; beyond this QPainter's fixed-point
// text placement is not to be trusted.
constexpr int kLabelSafe = 1 << 14;

// Runs of this many coastline points are shared among the threads.
constexpr int kCoastRun = 1024;

// Without the memory the points are projected one by one as they are drawn.
bool ReserveCoastPoints(std::vector<double>& v, std::size_t n) {
  try {
    v.resize(n);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// The drawing needs every step counted; a stop ends the layer undrawn.
bool Counted(TDrawProgress& progress) {
  return progress.Advance(1) != TDrawProgress::Result::Stop;
}

}  // namespace

bool GridCountsOf(const TGxProjectionL& p, TGridCounts& n) {
  const double lonSpan = p.GridMaxLon - p.GridMinLon;
  const double latSpan = p.GridMaxLat - p.GridMinLat;
  if (!std::isfinite(lonSpan) || !std::isfinite(latSpan)) return false;
  if (!(p.GridSpacing > 0) || !(p.GridStep > 0)) return false;  // NaN too
  if (!CountOk(lonSpan, p.GridSpacing) || !CountOk(latSpan, p.GridSpacing) ||
      !CountOk(lonSpan, p.GridStep) || !CountOk(latSpan, p.GridStep))
    return false;
  n.MeridianLines = LoopBound(lonSpan, p.GridSpacing);
  n.MeridianSamples = LoopBound(latSpan, p.GridStep);
  n.ParallelLines = LoopBound(latSpan, p.GridSpacing);
  n.ParallelSamples = LoopBound(lonSpan, p.GridStep);
  const std::int64_t total = (n.MeridianLines + 1) * (n.MeridianSamples + 1) +
                             (n.ParallelLines + 1) * (n.ParallelSamples + 1) +
                             (n.ParallelLines + 1) * (n.MeridianLines + 1);
  return total <= kMaxGridSamples;
}

QString GridLabelText(double value) {
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale.toString(value, 'g', 15);
}

void DrawTrace(const TMapTrace& trace, QImage& target) {
  if (target.format() != QImage::Format_BGR888) target = target.convertToFormat(QImage::Format_BGR888);
  TLineCanvas canvas(target);
  trace.lines.Draw(canvas, trace.colour);
  if (trace.labels.empty()) return;
  QPainter& painter = canvas.Painter();
  painter.setFont(trace.font);
  painter.setPen(trace.colour);
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  for (const TLabel& label : trace.labels) painter.drawText(label.baseline, label.text);
}

int DrawThroughTrace(TMapLayer& layer, TLayerInput& in, QImage& target, TDrawProgress& progress) {
  std::vector<TMapTrace> traces;
  int error = 0;
  layer.Trace(in, target, progress, traces, error);
  for (const TMapTrace& t : traces) DrawTrace(t, target);
  return error;
}

// ---- Coastlines -----------------------------------------------------------------

std::int64_t TCoastLayer::Steps(const TLayerInput& in, const QImage&) const {
  return static_cast<std::int64_t>(in.coast.size());
}

int TCoastLayer::Draw(TLayerInput& in, QImage& target, TDrawProgress& progress) {
  return DrawThroughTrace(*this, in, target, progress);
}

bool TCoastLayer::Trace(TLayerInput& in, const QImage& target, TDrawProgress& progress,
                        std::vector<TMapTrace>& out, int&) {
  TGxProjectionL& p = in.p;
  const std::vector<TCoastPoint>& coast = in.coast;
  const std::size_t count = coast.size();
  // The points are projected first, on several threads when that is safe;
  // the lines are traced in order on this one.
  bool projected = false;
  const int threads =
      in.threadsAllowed ? LanesFor(p, static_cast<std::int64_t>(count)) : 1;
  if (threads > 1 && count / kCoastRun < static_cast<std::size_t>(INT_MAX) &&
      ReserveCoastPoints(xy_, 2 * count)) {
    TLanes lanes(p, threads);
    const int runs = static_cast<int>((count + kCoastRun - 1) / kCoastRun);
    lanes.Run(
        runs,
        [&](TGxProjectionL& copy, int run) {
          const std::size_t end = std::min(count, (static_cast<std::size_t>(run) + 1) * kCoastRun);
          for (std::size_t i = static_cast<std::size_t>(run) * kCoastRun; i < end; ++i) {
            copy.Forward(coast[i].Lon, coast[i].Lat);
            xy_[2 * i] = copy.X;
            xy_[2 * i + 1] = copy.Y;
          }
        },
        [](int) { return true; });
    lanes.MergeInto(p);
    projected = true;
  }

  // All segments are drawn together at the end, so that their cost is known
  // before any is drawn (see TLineBatch).
  TMapTrace& trace = out.emplace_back(target.width(), target.height(), in.look.LineWidth, false,
                                      in.look.ColorCoast);
  trace.lines.Reserve(static_cast<std::int64_t>(count));
  TCoastPoint previous{0.0f, 0.0f};
  double xp = 0, yp = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const TCoastPoint& point = coast[i];
    if (!projected) p.Forward(point.Lon, point.Lat);
    const double x = projected ? xy_[2 * i] : p.X;
    const double y = projected ? xy_[2 * i + 1] : p.Y;
    const double dm = std::sqrt((xp - x) * (xp - x) + (yp - y) * (yp - y));
    if (!Counted(progress)) {
      out.pop_back();
      return true;
    }
    // The size is read at every point: a progress handler may have
    // replaced the image.
    if (!StartsNewRun(previous, point) &&
        CoastSampleJoins(dm, p.Radius, x, y, target.width(), target.height()))
      trace.lines.Add(RoundPixel(xp), RoundPixel(yp), RoundPixel(x), RoundPixel(y));
    previous = point;
    xp = x;
    yp = y;
  }
  return true;
}

// ---- Graticule --------------------------------------------------------------------

int TGraticuleLayer::Draw(TLayerInput& in, QImage& target, TDrawProgress& progress) {
  return DrawThroughTrace(*this, in, target, progress);
}

bool TGraticuleLayer::Trace(TLayerInput& in, const QImage& target, TDrawProgress&,
                            std::vector<TMapTrace>& out, int& error) {
  TGxProjectionL& p = in.p;
  const double minLon = p.GridMinLon, maxLat = p.GridMaxLat;
  const double spacing = p.GridSpacing, step = p.GridStep;
  const int k = p.ListIndex();

  bool usable;
  if (k >= kFirstListedPosition) {
    usable = p.Ready && p.Radius > 0.01;
  } else {
    usable = !(std::fabs(p.Radius) < 1e-9 && std::fabs(p.Theta) < 1e-9) &&
             !(std::fabs(p.Phi1) < 1e-9 && std::fabs(p.Phi2) < 1e-9);
  }
  TGridCounts n;
  if (!usable || !GridCountsOf(p, n)) {
    error = kMapErrorGridUnusable;
    return true;
  }

  struct InputRestore {
    TGxProjectionL& p;
    TInPut format;
    std::int32_t index;
    ~InputRestore() {
      p.InputFormat = format;
      p.InputIndex = index;
    }
  } restore{p, p.InputFormat, p.InputIndex};
  p.InputFormat = k == 0 ? ifUTM : k == 1 ? ifDatumUTM : k == 2 ? ifNationalGrid : ifGeographic;
  p.InputIndex = p.MapInput;

  const int W = target.width(), H = target.height();
  TMapTrace& trace = out.emplace_back(W, H, in.look.LineWidth, in.look.AntiAlias,
                                      in.look.ColorGrid);
  trace.lines.Reserve((n.MeridianLines + 1) * (n.MeridianSamples + 1) +
                      (n.ParallelLines + 1) * (n.ParallelSamples + 1));

  // P and d carry over from line to line and from meridians to parallels;
  // `first` keeps a line from joining the previous one.
  int px = 0, py = 0;
  double d = 0;
  auto sample = [&](double lambda, double phi, bool& first) {
    p.Forward(lambda, phi);
    const int qx = RoundPixel(p.X), qy = RoundPixel(p.Y);
    const bool ok = p.ErrorCode == 0;
    if (ok) {
      const double ddx = static_cast<double>(px) - qx, ddy = static_cast<double>(py) - qy;
      d = std::sqrt(ddx * ddx + ddy * ddy);
    }
    const bool close = k >= kFirstListedPosition ? d / p.Radius < 0.1 : d < spacing;
    if (ok && !first && close) trace.lines.Add(px, py, qx, qy);
    first = false;
    px = qx;
    py = qy;
  };

  for (std::int64_t i = 0; i <= n.MeridianLines; ++i) {
    const double lambda = minLon + static_cast<double>(i) * spacing;
    bool first = true;
    for (std::int64_t j = 0; j <= n.MeridianSamples; ++j)
      sample(lambda, maxLat - static_cast<double>(j) * step, first);
  }
  px = py = 0;
  for (std::int64_t i = 0; i <= n.ParallelLines; ++i) {
    const double phi = maxLat - static_cast<double>(i) * spacing;
    bool first = true;
    for (std::int64_t j = 0; j <= n.ParallelSamples; ++j)
      sample(minLon + static_cast<double>(j) * step, phi, first);
  }
  if (!in.look.GridValues) return true;

  // Labels. The rows are the parallels and the columns the meridians.
  trace.font = in.look.Font;
  const std::int64_t rows = n.ParallelLines, cols = n.MeridianLines;
  const int ascent = QFontMetrics(trace.font, &target).ascent();
  auto label = [&](const QString& text) {
    const int x = RoundPixel(p.X) + 2, y = RoundPixel(p.Y) + 2;
    if (x < -kLabelSafe || y < -kLabelSafe || x > W + kLabelSafe || y > H + kLabelSafe) return;
    trace.labels.push_back({QPoint(x, y + ascent), text});
  };
  auto inside = [&]() {
    const int x = RoundPixel(p.X), y = RoundPixel(p.Y);
    return x > 0 && x < W && y > 0 && y < H && p.ErrorCode == 0;
  };

  // The anchor is the first intersection in the lower right quarter; when
  // there is none, latitudes go along meridian 0 and longitudes along the
  // equator.
  double lambdaA = 0, phiA = 0;
  bool found = false;
  for (std::int64_t i = 0; i <= rows && !found; ++i) {
    const double phi = maxLat - static_cast<double>(i) * spacing;
    for (std::int64_t j = 0; j <= cols && !found; ++j) {
      const double lambda = minLon + static_cast<double>(j) * spacing;
      p.Forward(lambda, phi);
      const int x = RoundPixel(p.X), y = RoundPixel(p.Y);
      if (x > W / 2 && x < W && y > H / 2 && y < H) {
        lambdaA = lambda;
        phiA = phi;
        found = true;
      }
    }
  }

  for (std::int64_t i = 0; i <= rows; ++i) {
    const double phi = maxLat - static_cast<double>(i) * spacing;
    p.Forward(lambdaA, phi);
    if (inside() && phi != phiA) label(GridLabelText(phi));
  }
  for (std::int64_t j = 0; j <= cols; ++j) {
    const double lambda = minLon + static_cast<double>(j) * spacing;
    p.Forward(lambda, phiA);
    if (inside() && lambda != lambdaA) label(GridLabelText(lambda));
  }
  p.Forward(lambdaA, phiA);
  if (p.ErrorCode == 0)
    label(GridLabelText(lambdaA) + QStringLiteral("/") + GridLabelText(phiA));
  return true;
}
