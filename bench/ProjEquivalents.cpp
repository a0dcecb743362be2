#include "bench/ProjEquivalents.h"

#include <proj.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "bench/BenchSetup.h"

namespace bench {

namespace {

// Window set-up 30 is WGS 84 (a = 6378137 m, 1/f = 298.2572236); PROJ's
// WGS84 differs only in the eighth digit of 1/f.
constexpr double kWgs84A = 6378137.0;

std::string Deg(double radians) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", radians * gx::kRadToDeg);
  return text;
}

std::string Num(double v) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

ProjEquivalent Sphere(const std::string& op, const char* note = "") {
  return {"+proj=" + op + " +R=1", 1.0, note};
}

ProjEquivalent Ellipsoid(const std::string& op, const char* note = "") {
  return {"+proj=" + op + " +ellps=WGS84", kWgs84A, note};
}

}  // namespace

std::optional<ProjEquivalent> ProjEquivalentOf(const TGxProjectionL& p) {
  const std::string lon0 = " +lon_0=" + Deg(p.Theta);
  const std::string lat0 = " +lat_0=" + Deg(p.Phi0);
  // The cylindrical equal-area members: PROJ puts cos(phi_s) on x, we do not.
  auto cea = [&](const char* latTs) {
    return Sphere(std::string("cea +lat_ts=") + latTs + lon0, "x scaled");
  };
  switch (p.Projection) {
    case mpAlbertsCEA:
      return Ellipsoid("aea +lat_1=" + Deg(p.Phi1) + " +lat_2=" + Deg(p.Phi2) + " +lat_0=0" + lon0);
    case mpAzimuthalEA: return Sphere("aeqd" + lat0 + lon0);
    case mpBalthasart: return cea("50");
    case mpBerCylindricalEA: return cea("30");
    case mpBonne: return Sphere("bonne +lat_1=" + Deg(p.Phi0) + lon0);
    // Braun's cylinder is Gall's with other axis scales (x = lambda,
    // y = 2 tan(phi/2)); PROJ has it only in Gall's form.
    case mpBStereo: return Sphere("gall" + lon0, "as gall, axes scaled");
    case mpCassiniS: return Ellipsoid("cass" + lon0);
    case mpCollignon: return Sphere("collg" + lon0);
    case mpCraster: return Sphere("crast" + lon0);
    case mpEckertI: return Sphere("eck1" + lon0);
    case mpEckertII: return Sphere("eck2" + lon0);
    case mpEckertIII: return Sphere("eck3" + lon0);
    case mpEckertIV: return Sphere("eck4" + lon0);
    case mpEckertV: return Sphere("eck5" + lon0);
    case mpEckertVI: return Sphere("eck6" + lon0);
    case mpEDConical:
      return Ellipsoid("eqdc +lat_1=" + Deg(p.Phi1) +
                       (p.Other >= 1 ? " +lat_2=" + Deg(p.Phi2) : std::string()) + " +lat_0=0" +
                       lon0);
    case mpEquirectangular: return Sphere("eqc" + lon0);
    case mpFahey: return Sphere("fahey" + lon0);
    case mpFoucaut: return Sphere("fouc" + lon0);
    case mpFoucautS: return Sphere("fouc_s +n=" + Num(p.Other) + lon0);
    case mpGallOrth: return cea("45");
    case mpGall: return Sphere("gall" + lon0);
    // Our height is in map pixels, PROJ's in units of the sphere's radius.
    case mpGvnsp: return Sphere("nsper +h=" + Num(p.Other / p.Radius) + lat0 + lon0);
    case mpGnomonic: return Sphere("gnom" + lat0 + lon0);
    case mpHammer: return Sphere("hammer" + lon0);
    case mpKavraiskyV: return Sphere("kav5" + lon0);
    case mpKavraiskyVII: return Sphere("kav7" + lon0);
    case mpLaAzimuthalEA: return Sphere("laea" + lat0 + lon0);
    // The apex of our cone is the north pole at the map centre.
    case mpLaConformalConic:
      return Ellipsoid("lcc +lat_1=" + Deg(p.Phi1) + " +lat_2=" + Deg(p.Phi2) + " +lat_0=90" + lon0);
    case mpLamCylindricalEA: return Sphere("cea" + lon0);
    case mpLoximuthal: return Sphere("loxim +lat_1=" + Deg(p.Phi0) + lon0);
    case mpMcBrydeP: return Sphere("mbtfpp" + lon0);
    case mpMcBrydeQ: return Sphere("mbtfpq" + lon0);
    case mpMcBrydeSin: return Sphere("mbt_s" + lon0);
    // PROJ's names of the two run the other way round from our display names.
    case mpMcBryde: return Sphere("mbtfps" + lon0);
    case mpMcBrydeSin2: return Sphere("mbt_fps" + lon0);
    case mpMercator: return Ellipsoid("merc" + lon0);
    case mpMiller: return Sphere("mill" + lon0);
    case mpMollweide: return Sphere("moll" + lon0);
    case mpNell: return Sphere("nell" + lon0);
    case mpOrthographic: return Sphere("ortho" + lat0 + lon0);
    case mpPeters: return cea("44.138");
    case mpPolyconic: return Ellipsoid("poly" + lon0);
    case mpPutnins: return Sphere("putp1" + lon0);
    case mpQuarticAu: return Sphere("qua_aut" + lon0);
    case mpRobinson: return Sphere("robin" + lon0, "other table interpolation");
    case mpSinusoidal: return Sphere("sinu" + lon0);
    case mpStereographic: return Sphere("stere" + lat0 + lon0);
    // Our ellipsoidal transverse Mercator is the classic series, which PROJ
    // runs under +approx (its default is a slower, exact algorithm).
    case mpTMercator: {
      ProjEquivalent e = Ellipsoid("tmerc +approx" + lon0, "shape checked within 10 deg of the centre");
      e.checkSpan = 10;
      return e;
    }
    case mpTristanEdwards: return cea("37.383");
    case mpUrmaev: return Sphere("urmfps +n=" + Num(p.Other) + lon0);
    case mpGrinten: return Sphere("vandg" + lon0);
    case mpWagnerI: return Sphere("wag1" + lon0);
    case mpWagnerII: return Sphere("wag2" + lon0);
    case mpWagnerIII: return Sphere("wag3 +lat_ts=" + Deg(p.Other) + lon0);
    case mpWagnerIV: return Sphere("wag4" + lon0);
    case mpWagnerVI: return Sphere("wag6" + lon0);
    case mpWagnerVII: return Sphere("wag7" + lon0);
    case mpWinkelI: return Sphere("wink1" + lon0);
    // PROJ's Winkel II takes its latitude from Mollweide's auxiliary angle;
    // ours is the mean of the plate carree and Apian's ellipse.
    case mpWinkelII: return Sphere("wink2" + lon0, "another Winkel II formula");
    default: return std::nullopt;
  }
}

ShapeCheck CheckShape(TGxProjectionL& p, const ProjEquivalent& eq) {
  ShapeCheck c;
  c.radius = p.Radius;
  PJ_CONTEXT* ctx = proj_context_create();
  proj_log_level(ctx, PJ_LOG_NONE);
  PJ* op = proj_create(ctx, eq.definition.c_str());
  if (!op) {
    proj_context_destroy(ctx);
    c.residual = HUGE_VAL;
    return c;
  }
  const LonLatSet& pts = GlobePoints();
  std::vector<double> ou, ov, qu, qv;
  std::vector<std::size_t> index;
  // Every 7th point: a prime stride that walks through all columns.
  for (std::size_t i = 0; i < pts.lon.size(); i += 7) {
    double dlon = std::fabs(pts.lon[i] - p.Theta * gx::kRadToDeg);
    if (dlon > 180) dlon = 360 - dlon;
    if (dlon > eq.checkSpan) continue;
    p.Forward(pts.lon[i], pts.lat[i]);
    const bool ours = p.ErrorCode == 0 && std::isfinite(p.X) && std::isfinite(p.Y);
    PJ_COORD in = proj_coord(pts.lon[i] * gx::kDegToRad, pts.lat[i] * gx::kDegToRad, 0, 0);
    proj_errno_reset(op);
    const PJ_COORD out = proj_trans(op, PJ_FWD, in);
    const bool theirs = std::isfinite(out.xy.x) && std::isfinite(out.xy.y) &&
                        std::fabs(out.xy.x) < 1e30 && std::fabs(out.xy.y) < 1e30;
    if (ours && theirs) {
      ou.push_back((p.X - p.X0) / p.Radius);
      ov.push_back((p.Y0 - p.Y) / p.Radius);
      qu.push_back(out.xy.x / eq.unit);
      qv.push_back(out.xy.y / eq.unit);
      index.push_back(i);
    } else if (ours) {
      ++c.onlyOurs;
    } else if (theirs) {
      ++c.onlyProj;
    }
  }
  proj_destroy(op);
  proj_context_destroy(ctx);

  c.compared = static_cast<int>(ou.size());
  if (c.compared == 0) {
    c.residual = HUGE_VAL;
    return c;
  }
  auto fit = [](const std::vector<double>& o, const std::vector<double>& q) {
    double oq = 0, qq = 0;
    for (std::size_t i = 0; i < o.size(); ++i) {
      oq += o[i] * q[i];
      qq += q[i] * q[i];
    }
    const double s = qq > 0 ? oq / qq : 1.0;
    // A scale this close to 1 is none: the ellipsoids' 1/f differ as much.
    return std::fabs(s - 1) < 1e-6 ? 1.0 : s;
  };
  c.scaleX = fit(ou, qu);
  c.scaleY = fit(ov, qv);
  for (std::size_t i = 0; i < ou.size(); ++i) {
    const double d = std::max(std::fabs(ou[i] - c.scaleX * qu[i]), std::fabs(ov[i] - c.scaleY * qv[i]));
    if (d > c.residual) {
      c.residual = d;
      c.worstLon = pts.lon[index[i]];
      c.worstLat = pts.lat[index[i]];
    }
  }
  return c;
}

std::string DescribeShape(const ShapeCheck& c) {
  char text[112];
  if (c.compared == 0) return "NO COMMON POINTS";
  if (!c.Alike()) {
    std::snprintf(text, sizeof text, "DIFFERS by %.2g px at (%.0f, %.0f): not like with like",
                  c.residual * c.radius, c.worstLon, c.worstLat);
    return text;
  }
  std::string s = "same";
  // Up to 1e-6 of the radius the two differ only by rounding and by the
  // eighth digit of the ellipsoid's 1/f.
  if (c.residual > 1e-6) {
    std::snprintf(text, sizeof text, " to %.2g px", c.residual * c.radius);
    s += text;
  }
  if (c.scaleX != 1 || c.scaleY != 1) {
    std::snprintf(text, sizeof text, ", axes x%.6g y%.6g", c.scaleX, c.scaleY);
    s += text;
  }
  // Points that one side draws and the other refuses (a horizon, a band).
  const int total = c.compared + c.onlyOurs + c.onlyProj;
  if ((c.onlyOurs + c.onlyProj) * 1000 > total) {
    std::snprintf(text, sizeof text, "; %.1f%% only ours, %.1f%% only PROJ",
                  100.0 * c.onlyOurs / total, 100.0 * c.onlyProj / total);
    s += text;
  }
  return s;
}

}  // namespace bench
