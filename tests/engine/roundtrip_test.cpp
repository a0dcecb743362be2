// Inverse(Forward(p)) = p over every kind's map, in the regions of
// roundtrip.txt, and what else every kind shares: the pixels its inverse
// accepts, its success events, latitudes beyond a pole and absurd input.
#include <algorithm>
#include <initializer_list>
#include <limits>
#include <map>
#include <set>

#include "EngineTest.h"
#include "projection/Kernel.h"

namespace {

struct Region {
  int line;
  TProjection kind;
  std::vector<std::pair<std::string, double>> parameters;
  std::map<std::string, double> limits;  // lat lon tol cap skip sweep sweepy
  double Get(const char* key, double otherwise = 0) const {
    const auto it = limits.find(key);
    return it == limits.end() ? otherwise : it->second;
  }
};

std::vector<Region> Regions() {
  std::vector<Region> regions;
  for (const TableRow& row : ReadTable("roundtrip.txt")) {
    Region r{row.line, mpOrthographic, {}, {}};
    EXPECT_TRUE(KindFromText(row.tokens[0], r.kind)) << "roundtrip.txt:" << row.line;
    for (size_t i = 1; i < row.tokens.size(); ++i) {
      const std::string& kv = row.tokens[i];
      const std::string key = kv.substr(0, kv.find('='));
      const double v = Number(kv.substr(kv.find('=') + 1));
      TGxProjectionL probe;
      if (SetParameter(probe, key, v))
        r.parameters.emplace_back(key, v);
      else
        r.limits[key] = v;
    }
    regions.push_back(r);
  }
  return regions;
}

TGxProjectionL Prepare(const Region& r) {
  TGxProjectionL p = MakeReady(r.kind);
  p.Radius = 100, p.X0 = 264, p.Y0 = 253;
  p.SetTheta(25);
  for (const auto& [key, v] : r.parameters) SetParameter(p, key, v);
  return p;
}

double Distance(double lon1, double lat1, double lon2, double lat2) {
  const double d = gx::kDegToRad;
  const double c = std::sin(lat1 * d) * std::sin(lat2 * d) +
                   std::cos(lat1 * d) * std::cos(lat2 * d) * std::cos((lon1 - lon2) * d);
  return std::acos(std::clamp(c, -1.0, 1.0)) / d;
}

std::set<TProjection> KindsOf(std::initializer_list<std::span<const gx::KindEntry>> families) {
  std::set<TProjection> kinds;
  for (auto family : families)
    for (const gx::KindEntry& e : family) kinds.insert(e.kind);
  return kinds;
}

// A centre latitude beyond a pole stands for the centre (lon + 180, 180 - lat),
// the map turned upside down.
constexpr double kCentres[][2] = {{25, 50}, {0, 0}, {-60, 90}, {40, -90}, {10, 120}, {-30, -135}};

void RoundTrip(TGxProjectionL p, const Region& r) {
  const double lon0 = p.Theta / gx::kDegToRad, tol = r.Get("tol"), cap = r.Get("cap");
  const int skip = int(r.Get("skip"));
  const bool beyond = std::fabs(p.Phi0) > gx::kHalfPi;
  const double clon = lon0 + (beyond ? 180 : 0), phi0 = p.Phi0 / gx::kDegToRad;
  const double clat = beyond ? std::copysign(180, phi0) - phi0 : phi0;
  constexpr int kLats = 34, kLons = 36;
  int total = 0, kept = 0;
  for (int i = 0; i <= kLats; ++i) {
    for (int j = 0; j <= kLons; ++j) {
      const double lat = r.Get("lat") * (2.0 * i / kLats - 1);
      const double lon = lon0 + r.Get("lon") * (2.0 * j / kLons - 1);
      if (cap > 0) {
        const double c = Distance(lon, lat, clon, clat);
        if (c > cap || c < 0.01 || std::fabs(c - 90) < 0.01) continue;
      }
      ++total;
      SCOPED_TRACE(testing::Message() << "at " << lon << ", " << lat);
      p.Forward(lon, lat);
      if (skip != 0 && p.ErrorCode == skip) continue;
      ASSERT_EQ(p.ErrorCode, 0);
      ++kept;
      p.Inverse(p.X, p.Y);
      ASSERT_EQ(p.ErrorCode, 0);
      EXPECT_LT(std::fabs(std::remainder(p.X - lon, 360.0)), tol);
      EXPECT_NEAR(p.Y, lat, tol);
    }
  }
  EXPECT_GT(total, 20);
  EXPECT_GE(3 * kept, total);
}

TEST(RoundTrip, EveryKindOverItsMap) {
  const std::vector<Region> regions = Regions();
  std::vector<bool> covered(kProjectionCount, false);
  for (const Region& r : regions) {
    SCOPED_TRACE(testing::Message() << "roundtrip.txt:" << r.line << " " << EnumName(r.kind));
    covered[r.kind] = true;
    if (r.Get("cap") == 0) {
      RoundTrip(Prepare(r), r);
      continue;
    }
    for (const auto& centre : kCentres) {
      SCOPED_TRACE(testing::Message() << "centre " << centre[0] << ", " << centre[1]);
      TGxProjectionL p = Prepare(r);
      p.SetTheta(centre[0]);
      p.SetPhi0(centre[1]);
      RoundTrip(p, r);
    }
  }
  for (TProjection kind : ProjectionKinds()) EXPECT_TRUE(covered[kind]) << EnumName(kind);
}

// Every pixel an inverse accepts must be a point the forward draws there: no
// ghost copies beyond the outline, no NaN passed off as a position. A wide
// window for the ghosts, a denser one over the map for thin slips.
void Sweep(TGxProjectionL p, double tolX, double tolY) {
  int accepted = 0;
  bool ok = true;
  const auto check = [&](double x, double y) {
    p.Inverse(x, y);
    if (p.ErrorCode != 0) return;
    ++accepted;
    const bool finite = std::isfinite(p.X) && std::isfinite(p.Y);
    if (finite) p.Forward(p.X, p.Y);
    ok = finite && p.ErrorCode == 0 && std::fabs(p.X - x) <= tolX && std::fabs(p.Y - y) <= tolY;
    EXPECT_TRUE(ok) << "pixel " << x << ", " << y << " comes back as " << p.X << ", " << p.Y
                    << " with code " << p.ErrorCode;
  };
  for (double y = -700; ok && y <= 1200; y += 7.3)
    for (double x = -900; ok && x <= 1400; x += 6.1) check(x, y);
  for (double y = p.Y0 - 170; ok && y <= p.Y0 + 170; y += 3.1)
    for (double x = p.X0 - 330; ok && x <= p.X0 + 330; x += 2.9) check(x, y);
  EXPECT_GT(accepted, 300);
}

TEST(RoundTrip, AcceptedPixelsProjectBackOntoThemselves) {
  for (const Region& r : Regions()) {
    if (r.Get("sweep") == 0) continue;
    SCOPED_TRACE(testing::Message() << "roundtrip.txt:" << r.line << " " << EnumName(r.kind));
    Sweep(Prepare(r), r.Get("sweep"), r.Get("sweepy", r.Get("sweep")));
  }
}

// Each routine reports its success once through OnError, except the few that
// have always left the dispatcher's 0 standing without an event.
TEST(EveryKind, ReportsSuccessOnceOrNotAtAll) {
  const std::set<TProjection> silentForward = {
      mpCollignon, mpLamCylindricalEA, mpBerCylindricalEA, mpTristanEdwards,
      mpPeters, mpGallOrth, mpBalthasart};
  for (TProjection kind : ProjectionKinds()) {
    TGxProjectionL p = MakeReady(kind, 30);
    EventLog log;
    log.Attach(p);
    const CatalogueEntry& defaults = CatalogueAt(p.ListIndex());
    p.Forward(defaults.Theta + 10, defaults.Phi0 + 5);
    const bool silent = silentForward.count(kind) > 0;
    EXPECT_EQ(log.errors, silent ? std::vector<int>{} : std::vector<int>{0}) << EnumName(kind);
    log.errors.clear();
    p.Inverse(p.X, p.Y);
    EXPECT_EQ(p.ErrorCode, 0) << EnumName(kind);
    EXPECT_EQ(log.errors, kind == mpEckertII ? std::vector<int>{} : std::vector<int>{0})
        << EnumName(kind);
  }
}

// Beyond a pole every pseudocylindrical forward folds back (100 deg is 80 deg).
TEST(EveryKind, PseudocylindricalLatitudesBeyondThePole) {
  for (TProjection kind : KindsOf({gx::PseudocylindricalKinds(), gx::MollweideKinds(), gx::McBrydeThomasKinds(),
                                     gx::WagnerUrmaevKinds(), gx::OtherPseudocylindricalKinds()})) {
    TGxProjectionL p = MakeReady(kind);
    p.Forward(50, 80);
    const double x = p.X, y = p.Y;
    p.Forward(50, 100);
    EXPECT_EQ(p.ErrorCode, 0) << EnumName(kind);
    EXPECT_NEAR(p.X, x, 1e-9) << EnumName(kind);
    EXPECT_NEAR(p.Y, y, 1e-9) << EnumName(kind);
  }
}

// A code of 0 always comes with a finite position, as the map control turns
// positions into pixel indices. The azimuthal and transverse kinds hold to it
// for any input and Other; the other forwards (but Mercator's and Miller's)
// for finite input with their default Other, however far beyond the poles;
// every inverse for any pixel but a NaN one, which the azimuthal, transverse,
// conic and world kinds refuse outright.
TEST(EveryKind, ZeroCodeComesWithAFinitePosition) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  const double values[] = {nan, inf, -inf, 1e300, -1e150, 0, 180, 270, 1e10};
  const auto anyInput = KindsOf({gx::AzimuthalKinds(), gx::TransverseKinds()});
  const auto anyPixel =
      KindsOf({gx::AzimuthalKinds(), gx::TransverseKinds(), gx::ConicKinds(), gx::WorldKinds()});
  for (TProjection kind : ProjectionKinds()) {
    const bool forwardAny = anyInput.count(kind) > 0, inverseAny = anyPixel.count(kind) > 0;
    for (int mapInput : {31, 30}) {
      for (int absurdOther = 0; absurdOther < 3; ++absurdOther) {
        TGxProjectionL p = MakeReady(kind, mapInput);
        if (absurdOther) p.Other = absurdOther == 1 ? nan : inf;
        for (double a : values) {
          for (double b : values) {
            SCOPED_TRACE(testing::Message() << EnumName(kind) << " " << mapInput << " other "
                                            << p.Other << " at " << a << ", " << b);
            const bool finite = std::isfinite(a) && std::isfinite(b);
            const bool nanInput = std::isnan(a) || std::isnan(b);
            p.Forward(a, b);
            if (forwardAny || (finite && !absurdOther && kind != mpMercator && kind != mpMiller)) {
              EXPECT_TRUE(p.ErrorCode != 0 || (std::isfinite(p.X) && std::isfinite(p.Y)));
            }
            p.Inverse(a, b);
            if (inverseAny || !nanInput) {
              EXPECT_TRUE(p.ErrorCode != 0 || (std::isfinite(p.X) && std::isfinite(p.Y)));
            }
            if (inverseAny && nanInput) {
              EXPECT_NE(p.ErrorCode, 0);
            }
          }
        }
      }
    }
  }
}

}  // namespace
