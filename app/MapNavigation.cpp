#include "app/MapNavigation.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>
#include <cmath>

#include "app/Language.h"

TGxProjectionL ProbeOf(const TGxProjectionL& p) {
  TGxProjectionL probe = p;
  probe.DropHandlers();
  probe.GxConvert = nullptr;
  return probe;
}

bool PointUnder(TGxProjectionL& probe, double x, double y, double& lon, double& lat) {
  probe.Inverse(x, y);
  if (probe.ErrorCode != 0 || !std::isfinite(probe.X) || !std::isfinite(probe.Y)) return false;
  lon = probe.X;
  lat = probe.Y;
  return true;
}

QString ReadoutText(TGxProjectionL& probe, double x, double y) {
  double lon, lat;
  if (!PointUnder(probe, x, y, lon, lat))
    return QCoreApplication::translate("MapNavigation", "außerhalb der Karte");
  // As the language writes it: "52,52° N  13,40° O", "52.52° N  13.40° E".
  const QLocale numbers = NumberLocale(CurrentLanguage());
  auto degrees = [&](double v) {
    return numbers.toString(std::fabs(v), 'f', 2) + QStringLiteral("°");
  };
  //: The read-out's hemispheres: south and north of the equator.
  const QString south = QCoreApplication::translate("MapNavigation", "S"),
                north = QCoreApplication::translate("MapNavigation", "N");
  //: The read-out's hemispheres: west and east (Ost) of Greenwich.
  const QString west = QCoreApplication::translate("MapNavigation", "W"),
                east = QCoreApplication::translate("MapNavigation", "O");
  return degrees(lat) + QLatin1Char(' ') + (lat < 0 ? south : north) + QStringLiteral("  ") +
         degrees(lon) + QLatin1Char(' ') + (lon < 0 ? west : east);
}

double WrapLongitude(double theta) {
  if (!std::isfinite(theta)) return 0;
  theta = std::fmod(theta + 180.0, 360.0);
  if (theta < 0) theta += 360.0;
  return theta - 180.0;
}

namespace {

// Where (lon, lat) lands with the centre at (theta, phi0); false when the
// map refuses the point there.
bool Landing(TGxProjectionL& probe, double lon, double lat, double theta, double phi0,
             bool phi0Free, double& fx, double& fy) {
  probe.SetTheta(theta);
  if (phi0Free) probe.SetPhi0(phi0);
  probe.SetAxis(theta, phi0);
  probe.Forward(lon, lat);
  fx = probe.X;
  fy = probe.Y;
  return probe.ErrorCode == 0 && std::isfinite(fx) && std::isfinite(fy);
}

}  // namespace

bool CentreKeepingPoint(TGxProjectionL& probe, double lon, double lat, double x, double y,
                        bool phi0Free, double& theta, double& phi0) {
  // The spin edits hold whole degrees, so the centre is sought among them:
  // the one that puts the point nearest the cursor. A search rather than
  // Newton's method, because near a pole the map hardly depends on the
  // central longitude and Newton's steps wander; the whole range is
  // searched, coarsely first, so that a point that cannot reach the cursor
  // still gets as near as the kind allows.
  auto miss = [&](double t, double f) {
    double fx, fy;
    if (!Landing(probe, lon, lat, t, f, phi0Free, fx, fy)) return HUGE_VAL;
    return std::hypot(fx - x, fy - y);
  };
  double best = HUGE_VAL, bestT = theta, bestF = phi0;
  auto consider = [&](double t, double f) {
    const double m = miss(t, f);
    if (m < best) {
      best = m;
      bestT = t;
      bestF = f;
    }
  };
  if (!phi0Free) {
    for (int t = -180; t <= 180; ++t) consider(t, phi0);
  } else {
    for (int t = -180; t < 180; t += 5)
      for (int f = -90; f <= 90; f += 5) consider(t, f);
    if (!std::isfinite(best)) return false;
    const int t0 = static_cast<int>(bestT), f0 = static_cast<int>(bestF);
    for (int t = t0 - 5; t <= t0 + 5; ++t)
      for (int f = std::max(f0 - 5, -90); f <= std::min(f0 + 5, 90); ++f)
        consider(WrapLongitude(t), f);
  }
  if (!std::isfinite(best)) return false;
  theta = WrapLongitude(bestT);
  phi0 = bestF;
  return true;
}
