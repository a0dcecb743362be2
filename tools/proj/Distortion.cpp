#include "tools/proj/Distortion.h"

#include <cstdio>

void DistortionPrinter::Print(double first, double second, bool pixel) {
  TDistortion d;
  bool ok;
  if (pixel) {
    p_.Inverse(first, second);
    ok = p_.ErrorCode == 0 && probe_.At(p_.X, p_.Y, first, second, d);
  } else {
    ok = probe_.At(first, second, d);
  }
  if (ok)
    std::printf("%.17g %.17g %.17g %.17g\n", d.A, d.B, d.Area, d.Angle() * gx::kRadToDeg);
  else
    std::printf("* * * *\n");
}
