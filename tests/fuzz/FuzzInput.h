// Shared decoding of fuzz input into the values the engine finds hardest.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>

#include "conversion/GxConvertL.h"
#include "projection/GxProjectionL.h"

namespace fuzz {

// Doubles the formulas find hardest, picked by one byte; otherwise raw bits.
inline double FuzzDouble(FuzzedDataProvider& in) {
  static constexpr double kSpecial[] = {
      0.0, -0.0, NAN, INFINITY, -INFINITY, 1e308, -1e308, 5e-324, 1e-300,
      90.0, -90.0, 180.0, -180.0, 1.5707963267948966, 3.141592653589793,
      0.01, 0.0099, 1e-9, 253.5, 264.0, 45.0, 360.0, 1e15};
  const std::uint8_t how = in.ConsumeIntegral<std::uint8_t>();
  if (how < 64) return kSpecial[how % std::size(kSpecial)];
  if (how < 160) return in.ConsumeFloatingPointInRange<double>(-400.0, 400.0);
  std::uint64_t bits = in.ConsumeIntegral<std::uint64_t>();
  double v;
  static_assert(sizeof v == sizeof bits);
  __builtin_memcpy(&v, &bits, sizeof v);
  return v;
}

inline bool PossibleCode(int code) {
  return (code >= 0 && code <= 9999) || code == gx::kSolverNoConvergence ||
         code == gx::kSolverNoConvergenceBig;
}

// A kind (any byte value, or a list position), MapInput, the defaults for a
// fuzzed map size, then any parameter overridden with a hard double.
inline void FuzzProjection(FuzzedDataProvider& in, TGxProjectionL& p, TGxConvertL& convert,
                           int width, int height) {
  const std::uint8_t kind = in.ConsumeIntegral<std::uint8_t>();
  if (kind & 0x80)
    p.SetListIndex(kind % kListCount);
  else
    p.Projection = static_cast<TProjection>(kind % 70);  // also beyond the last kind
  p.MapInput = in.ConsumeBool() ? in.ConsumeIntegral<std::int32_t>() : 30;
  ResetProjectionToDefaults(p, width, height);
  double* fields[] = {&p.Radius, &p.Theta, &p.Phi0, &p.Phi1, &p.Phi2, &p.Other,
                      &p.Oblique, &p.AxisTheta, &p.AxisPhi, &p.X0, &p.Y0};
  for (double* f : fields)
    if (in.ConsumeBool()) *f = FuzzDouble(in);
  p.Ready = in.ConsumeBool() || p.Ready;
  p.ForwardCutOff = in.ConsumeBool();
  if (in.ConsumeBool()) {
    convert.ExtraEllipsoidCount = in.ConsumeIntegral<std::int32_t>();
    convert.ExtraSphereCount = in.ConsumeIntegral<std::int32_t>();
    if (in.ConsumeBool()) convert.AddEllipsoid(60, {FuzzDouble(in), FuzzDouble(in)});
    p.GxConvert = &convert;
  }
}

}  // namespace fuzz
