// Fuzz target: any kind, any parameters, any sequence of Forward and Inverse
// calls with arbitrary doubles. Nothing may crash, trip a sanitizer or hang,
// and every result code must be one the engine can give.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  TGxProjectionL p;
  TGxConvertL convert;
  const int w = in.ConsumeIntegralInRange(1, 4096), h = in.ConsumeIntegralInRange(1, 4096);
  fuzz::FuzzProjection(in, p, convert, w, h);

  int calls = 0;
  while (in.remaining_bytes() > 0 && calls++ < 64) {
    const bool forward = in.ConsumeBool();
    const double a = fuzz::FuzzDouble(in), b = fuzz::FuzzDouble(in);
    if (forward)
      p.Forward(a, b);
    else
      p.Inverse(a, b);
    if (!fuzz::PossibleCode(p.ErrorCode)) {
      std::fprintf(stderr, "impossible code %d from kind %d\n", p.ErrorCode, int(p.Projection));
      std::abort();
    }
  }
  return 0;
}
