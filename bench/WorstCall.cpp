// weltnetz-worstcall: hunts for the slowest single Forward or Inverse call.
// Random kinds, parameters and inputs (NaN, infinities, 1e308, denormals,
// raw bit patterns); a call that looks slow is timed again five times and its
// best time kept, so that a call preempted by the system does not count.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "projection/GxProjectionL.h"

namespace {

using Clock = std::chrono::steady_clock;

double Micros(Clock::time_point since) {
  return std::chrono::duration<double, std::micro>(Clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  const long components = argc > 1 ? std::atol(argv[1]) : 200000;
  std::mt19937_64 rng(42);
  auto hard = [&]() -> double {
    static constexpr double kSpecial[] = {0, -0.0, NAN, INFINITY, -INFINITY, 1e308, -1e308,
                                          5e-324, 90, -90, 180, 1.5707963267948966, 1e15};
    switch (rng() % 4) {
      case 0: return kSpecial[rng() % std::size(kSpecial)];
      case 1: {
        const std::uint64_t bits = rng();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
      }
      default: return std::uniform_real_distribution<double>(-400, 400)(rng);
    }
  };

  double worst = 0;
  int worstKind = -1;
  long calls = 0;
  for (long i = 0; i < components; ++i) {
    TGxProjectionL p;
    p.Projection = static_cast<TProjection>(rng() % kProjectionCount);
    p.MapInput = rng() % 2 ? static_cast<int>(rng() % 300) - 10 : 30;
    ResetProjectionToDefaults(p, 528, 507);
    p.Ready = true;
    for (double* f : {&p.Radius, &p.Theta, &p.Phi0, &p.Phi1, &p.Phi2, &p.Other, &p.Oblique,
                      &p.AxisTheta, &p.AxisPhi, &p.X0, &p.Y0})
      if (rng() % 4 == 0) *f = hard();
    p.ForwardCutOff = rng() % 2;
    for (int c = 0; c < 50; ++c) {
      const double a = hard(), b = hard();
      const bool forward = c & 1;
      auto call = [&](TGxProjectionL& q) { forward ? q.Forward(a, b) : q.Inverse(a, b); };
      const TGxProjectionL before = p;
      auto t0 = Clock::now();
      call(p);
      double us = Micros(t0);
      ++calls;
      if (us > 100) {
        for (int r = 0; r < 5; ++r) {
          TGxProjectionL q = before;
          t0 = Clock::now();
          call(q);
          us = std::min(us, Micros(t0));
        }
      }
      if (us > worst) {
        worst = us;
        worstKind = p.Projection;
      }
    }
  }
  std::printf("calls %ld  slowest call %.1f us  (kind %d, %.*s)\n", calls, worst, worstKind,
              int(EnumName(TProjection(worstKind)).size()), EnumName(TProjection(worstKind)).data());
  return worst < 10000 ? 0 : 1;
}
