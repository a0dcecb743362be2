// Fuzz target: any kind, any parameters, any sequence of Forward, Inverse
// and row inverse calls with arbitrary doubles. Nothing may crash, trip a
// sanitizer or hang, every result code must be one the engine can give, a
// row inverse must give what the single calls give, to the bit, and a row
// for a picture's rows the same picture pixels.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "mapimage/PixelMath.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  TGxProjectionL p;
  TGxConvertL convert;
  const int w = in.ConsumeIntegralInRange(1, 4096), h = in.ConsumeIntegralInRange(1, 4096);
  fuzz::FuzzProjection(in, p, convert, w, h);

  int calls = 0;
  while (in.remaining_bytes() > 0 && calls++ < 64) {
    const int op = in.ConsumeIntegralInRange(0, 3);
    const double a = fuzz::FuzzDouble(in), b = fuzz::FuzzDouble(in);
    if (op == 0) {
      p.Forward(a, b);
    } else if (op == 1) {
      p.Inverse(a, b);
    } else if (op == 3) {
      // Row b from pixel a for a picture of `rows` rows: the picture row of
      // every pixel, its code and longitude and the working fields are
      // those of the row without the picture's rows.
      constexpr int kMost = 16;
      const int n = in.ConsumeIntegralInRange(1, kMost), rows = in.ConsumeIntegralInRange(1, 4000);
      TGxProjectionL exact = p, banded = p;
      banded.SetPictureRows(rows);
      double lonE[kMost], latE[kMost], lonB[kMost], latB[kMost];
      int codeE[kMost], codeB[kMost];
      const bool unfolded = exact.InverseRowUnfolded(b, a, n, lonE, latE, codeE);
      if (unfolded != banded.InverseRowUnfolded(b, a, n, lonB, latB, codeB)) std::abort();
      const TPictureGrid grid(2 * rows, rows);
      const auto same = [](double x, double y) {
        return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
      };
      for (int i = 0; i < n; ++i) {
        bool ok = codeE[i] == codeB[i];
        if (ok && codeE[i] == 0 && unfolded) {
          int ex = -1, ey = -1, bx = -1, by = -1;
          ok = same(lonE[i], lonB[i]) &&
               SourcePixelOfAngles(grid, lonE[i], latE[i], ex, ey) ==
                   SourcePixelOfAngles(grid, lonB[i], latB[i], bx, by) &&
               ex == bx && ey == by;
        }
        if (!ok) {
          std::fprintf(stderr, "pixel %d of kind %d: another picture row with %d rows\n", i,
                       int(p.Projection), rows);
          std::abort();
        }
      }
      if (!same(exact.X, banded.X) || !same(exact.Y, banded.Y) ||
          exact.ErrorCode != banded.ErrorCode || !same(exact.IterLat, banded.IterLat) ||
          !same(exact.IterAux, banded.IterAux) || !same(exact.Other, banded.Other)) {
        std::fprintf(stderr, "kind %d: other fields with %d picture rows\n", int(p.Projection), rows);
        std::abort();
      }
      p = exact;
    } else {
      // Row b from pixel a, every step-th pixel, against single calls on a
      // copy (only where nothing outside could tell them apart).
      constexpr int kMost = 16;
      const int n = in.ConsumeIntegralInRange(1, kMost), step = in.ConsumeIntegralInRange(1, 1000);
      double lon[kMost], lat[kMost];
      int code[kMost];
      const bool alone = p.CanDrawInBatches();
      TGxProjectionL one = p, drawing = p;
      p.InverseRow(b, a, n, lon, lat, code, step);
      // The rows a map layer draws (which may refuse a pixel without its
      // latitude) give the same codes, places and working fields.
      double lonD[kMost], latD[kMost];
      int codeD[kMost];
      const bool unfolded = drawing.InverseRowUnfolded(b, a, n, lonD, latD, codeD, step);
      const auto same = [](double x, double y) {
        return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
      };
      for (int i = 0; i < n; ++i) {
        if (codeD[i] == 0 && unfolded)
          TGxProjectionL::FoldedDegrees(lonD[i], latD[i], lonD[i], latD[i]);
        const bool place = code[i] != 0 || (same(lonD[i], lon[i]) && same(latD[i], lat[i]));
        if (codeD[i] != code[i] || !place) {
          std::fprintf(stderr, "drawn row pixel %d of kind %d differs\n", i, int(p.Projection));
          std::abort();
        }
      }
      if (!same(drawing.X, p.X) || !same(drawing.Y, p.Y) || drawing.ErrorCode != p.ErrorCode ||
          !same(drawing.IterLat, p.IterLat) || !same(drawing.IterAux, p.IterAux) ||
          !same(drawing.Other, p.Other)) {
        std::fprintf(stderr, "kind %d: other fields after a drawn row\n", int(p.Projection));
        std::abort();
      }
      for (int i = 0; alone && i < n; ++i) {
        one.Inverse(i == 0 ? a : a + static_cast<double>(i) * step, b);
        const bool place = code[i] != 0 || (same(lon[i], one.X) && same(lat[i], one.Y));
        if (code[i] != one.ErrorCode || !place) {
          std::fprintf(stderr, "row pixel %d of kind %d differs from its single call\n", i,
                       int(p.Projection));
          std::abort();
        }
      }
    }
    if (!fuzz::PossibleCode(p.ErrorCode)) {
      std::fprintf(stderr, "impossible code %d from kind %d\n", p.ErrorCode, int(p.Projection));
      std::abort();
    }
  }
  return 0;
}
