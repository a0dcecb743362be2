// Fuzz target: any kind, any parameters, any sequence of Forward and Inverse
// calls with arbitrary doubles. Nothing may crash, trip a sanitizer or hang,
// and every result code must be one the engine can give.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "conversion/GxConvertL.h"
#include "projection/GxProjectionL.h"

namespace {

// Doubles the formulas find hardest, picked by one byte; otherwise raw bits.
double FuzzDouble(FuzzedDataProvider& in) {
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

bool PossibleCode(int code) {
  return (code >= 0 && code <= 9999) || code == kSolverNoConvergence ||
         code == kSolverNoConvergenceBig;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  TGxProjectionL p;
  TGxConvertL convert;

  const std::uint8_t kind = in.ConsumeIntegral<std::uint8_t>();
  if (kind & 0x80) {
    p.SetListIndex(kind % kListCount);
  } else {
    // Any byte value, including ones beyond the last kind.
    p.Projection = static_cast<TProjection>(kind % 70);
  }
  p.MapInput = in.ConsumeBool() ? in.ConsumeIntegral<std::int32_t>() : 30;
  ResetProjectionToDefaults(p, in.ConsumeIntegralInRange(1, 4096), in.ConsumeIntegralInRange(1, 4096));
  if (in.ConsumeBool()) p.Radius = FuzzDouble(in);
  if (in.ConsumeBool()) p.Theta = FuzzDouble(in);
  if (in.ConsumeBool()) p.Phi0 = FuzzDouble(in);
  if (in.ConsumeBool()) p.Phi1 = FuzzDouble(in);
  if (in.ConsumeBool()) p.Phi2 = FuzzDouble(in);
  if (in.ConsumeBool()) p.Other = FuzzDouble(in);
  if (in.ConsumeBool()) p.Oblique = FuzzDouble(in);
  if (in.ConsumeBool()) p.AxisTheta = FuzzDouble(in);
  if (in.ConsumeBool()) p.AxisPhi = FuzzDouble(in);
  if (in.ConsumeBool()) p.X0 = FuzzDouble(in);
  if (in.ConsumeBool()) p.Y0 = FuzzDouble(in);
  p.Ready = in.ConsumeBool() || p.Ready;
  p.ForwardCutOff = in.ConsumeBool();
  if (in.ConsumeBool()) {
    convert.ExtraEllipsoidCount = in.ConsumeIntegral<std::int32_t>();
    convert.ExtraSphereCount = in.ConsumeIntegral<std::int32_t>();
    if (in.ConsumeBool()) convert.AddEllipsoid(60, {FuzzDouble(in), FuzzDouble(in)});
    p.GxConvert = &convert;
  }

  int calls = 0;
  while (in.remaining_bytes() > 0 && calls++ < 64) {
    const bool forward = in.ConsumeBool();
    const double a = FuzzDouble(in), b = FuzzDouble(in);
    if (forward)
      p.Forward(a, b);
    else
      p.Inverse(a, b);
    if (!PossibleCode(p.ErrorCode)) {
      std::fprintf(stderr, "impossible code %d from kind %d\n", p.ErrorCode, int(p.Projection));
      std::abort();
    }
  }
  return 0;
}
