// The closing tables of weltnetz-bench: engine against PROJ, drawing per
// kind, growth with size.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "bench/MedianReporter.h"

namespace bench {

// Render targets of the issue: a redraw at 60 per second, PROJ at twice our
// cost, and a per-pixel cost on the large maps within 1.2 of the window's.
inline constexpr double kFrameMs = 1000.0 / 60.0;
inline constexpr double kRatioTarget = 0.5;
inline constexpr double kGrowthTarget = 1.2;

void PrintEngineTable(std::ostream& out, const MedianReporter& r, int repetitions);
void PrintRenderTable(std::ostream& out, const MedianReporter& r, int repetitions);
void PrintGrowthTable(std::ostream& out, const MedianReporter& r, const std::vector<int>& positions);
void PrintSummary(std::ostream& out, const MedianReporter& r, const std::vector<int>& growth);

// Positions ordered by their drawing time with all three layers, slowest first.
std::vector<int> SlowestRenders(const MedianReporter& r);

}  // namespace bench
