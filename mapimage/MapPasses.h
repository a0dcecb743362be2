// Rules of the vector passes that are worth naming on their own.
#pragma once

#include <QString>

#include <cstdint>

#include "projection/GxProjectionL.h"

// A graticule of more samples than this (meridians, parallels and label
// intersections together) is refused: its spacing or step is absurdly fine
// for any map and would only stall the window.
inline constexpr std::int64_t kMaxGridSamples = std::int64_t{1} << 21;

// Lines are drawn at most this wide. Each segment of a line costs about the
// square of its width; a wider setting covered the map many times over and
// held the window for seconds to minutes (500 px: 38 s anti-aliased).
inline constexpr double kMaxLineWidth = 64.0;

// The line and sample counts of a graticule range (the loops run 0..n; n = -1
// runs none).
struct TGridCounts {
  std::int64_t MeridianLines, MeridianSamples;  // i over longitudes, j over latitudes
  std::int64_t ParallelLines, ParallelSamples;  // i over latitudes, j over longitudes
};

// The counts of the projection's graticule range, or false when the range
// cannot be drawn: a bound, the spacing or the step not finite, a spacing or
// step of zero or below, or more than kMaxGridSamples samples.
bool GridCountsOf(const TGxProjectionL& p, TGridCounts& counts);

// The coast pass's join test for the current sample (x, y) (unrounded
// pixels) with dm the map distance from the previous sample.
inline bool CoastSampleJoins(double dm, double radius, double x, double y, int W, int H) {
  return dm / radius < 0.05 && x >= 0 && y >= 0 && x < W - 1 && y < H - 1;
}

// A grid value as label text: the shortest general decimal form up to 15
// significant digits, with the locale's decimal separator, no grouping.
QString GridLabelText(double value);
