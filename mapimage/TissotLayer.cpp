#include "mapimage/TissotLayer.h"

#include <algorithm>
#include <cmath>

#include "mapimage/LineLayers.h"
#include "mapimage/MapPasses.h"
#include "mapimage/PixelMath.h"
#include "projection/Distortion.h"

namespace {

// An undistorted circle spans this share of a graticule cell's side: a
// quarter of the spacing as radius leaves half the cell between neighbours.
constexpr double kCellShare = 0.25;

// The outline's vertices lie about this many pixels apart.
constexpr double kVertexSpacing = 3.0;

// The image on the map of a circle of `radius` pixels at scale 1 around the
// point of d, as a closed polyline of integer vertices.
void AddIndicatrix(TLineBatch& lines, const TDistortion& d, double radius) {
  const double perimeter = 2 * gx::kPi * radius * std::sqrt(0.5 * (d.A * d.A + d.B * d.B));
  // Taken to the range as a double: a huge scale (or NaN) must not reach
  // the conversion to int.
  const double vertices = std::ceil(perimeter / kVertexSpacing);
  const int n = vertices > 12 ? (vertices < 360 ? static_cast<int>(vertices) : 360) : 12;
  auto vertex = [&](int k) {
    const double t = 2 * gx::kPi * k / n, c = std::cos(t), s = std::sin(t);
    // Plane v grows northward, map y downward.
    return QPoint(RoundPixel(d.X + radius * (d.EastU * c + d.NorthU * s)),
                  RoundPixel(d.Y - radius * (d.EastV * c + d.NorthV * s)));
  };
  QPoint previous = vertex(0);
  for (int k = 1; k <= n; ++k) {
    const QPoint next = vertex(k % n);
    if (next == previous) continue;
    lines.Add(previous.x(), previous.y(), next.x(), next.y());
    previous = next;
  }
}

// A pole gets an indicatrix only where the map is regular there (a polar
// or oblique azimuthal map): the values a little beside it (d) and half a
// degree away agree. At the apex of a cone, or where a map stretches the
// pole into a line, the scale grows without bound towards it, and whatever
// was drawn would depend on how close one looked.
bool RegularAtPole(TDistortionProbe& probe, double lambda, double phi, const TDistortion& d) {
  TDistortion away;
  if (!probe.At(lambda, phi - std::copysign(0.5, phi), away)) return false;
  return std::fabs(away.A - d.A) <= 0.02 * d.A && std::fabs(away.B - d.B) <= 0.02 * d.A;
}

}  // namespace

double IndicatrixRadius(const TGxProjectionL& p) {
  return kCellShare * p.Radius * p.GridSpacing * gx::kDegToRad;
}

int TTissotLayer::Draw(TLayerInput& in, QImage& target, TDrawProgress& progress) {
  return DrawThroughTrace(*this, in, target, progress);
}

bool TTissotLayer::Trace(TLayerInput& in, const QImage& target, TDrawProgress&,
                         std::vector<TMapTrace>& out, int& error) {
  const TGxProjectionL& p = in.p;
  TGridCounts n;
  if (!GridCountsOf(p, n) || (n.ParallelLines + 1) * (n.MeridianLines + 1) > kMaxIndicatrices) {
    error = kMapErrorGridUnusable;
    return true;
  }
  const double radius = IndicatrixRadius(p);
  if (!(radius > 0) || !std::isfinite(radius)) return true;

  TMapTrace& trace = out.emplace_back(target.width(), target.height(), in.look.LineWidth,
                                      in.look.AntiAlias, in.look.ColorTissot);
  TDistortionProbe probe(p);
  // Centres drawn on the current parallel: where meridians meet (a pole, or
  // -180 and 180 on a map not centred on 0) one ellipse stands for all.
  std::vector<QPointF> drawn;
  for (std::int64_t i = 0; i <= n.ParallelLines; ++i) {
    const double phi = p.GridMaxLat - static_cast<double>(i) * p.GridSpacing;
    drawn.clear();
    for (std::int64_t j = 0; j <= n.MeridianLines; ++j) {
      const double lambda = p.GridMinLon + static_cast<double>(j) * p.GridSpacing;
      TDistortion d;
      if (!probe.At(lambda, phi, d) || d.A > kMaxIndicatrixScale) continue;
      if (std::fabs(phi) == 90 && !RegularAtPole(probe, lambda, phi, d)) continue;
      const QPointF centre(d.X, d.Y);
      if (std::any_of(drawn.begin(), drawn.end(), [&](const QPointF& q) {
            return std::fabs(q.x() - centre.x()) < 0.5 && std::fabs(q.y() - centre.y()) < 0.5;
          }))
        continue;
      drawn.push_back(centre);
      AddIndicatrix(trace.lines, d, radius);
    }
  }
  return true;
}
