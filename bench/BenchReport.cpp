#include "bench/BenchReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "bench/BenchSetup.h"

namespace bench {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double MsOf(const MedianReporter& r, const std::string& name) { return r.MedianNs(name) / 1e6; }

double PerPointNs(const MedianReporter& r, const std::string& name) {
  return r.MedianNs(name) / kMapPoints;
}

}  // namespace

void PrintEngineTable(std::ostream& out, const MedianReporter& r, int repetitions) {
  char line[512];
  std::snprintf(line, sizeof line,
                "\nEngine cost per point, ns (median of %d, the smaller of wall and CPU time; %d points: Forward over the globe, "
                "Inverse over the window's pixels, one call each; row = the colour pass's work for the same pixels: unfolded rows "
                "with the picture's rows known, and each pixel's source pixel)\n"
                "ratio = ours / PROJ; target <= %.2g for the colour pass (r row), '!' marks a miss; r fwd and r inv "
                "(one call each) for comparison\n",
                repetitions, kMapPoints, kRatioTarget);
  out << line;
  std::snprintf(line, sizeof line, "%-3s %-20s %8s %8s %8s  %-10s %8s %8s %7s %7s %7s  %s\n", "pos",
                "kind", "fwd", "inv", "row", "PROJ", "PROJ fwd", "PROJ inv", "r fwd", "r inv",
                "r row", "same map as PROJ?");
  out << line;
  for (int pos = kFirstListedPosition; pos < kListCount; ++pos) {
    const double fwd = PerPointNs(r, EngineName("Forward", pos));
    const double inv = PerPointNs(r, EngineName("Inverse", pos));
    const double row = PerPointNs(r, EngineName("Row", pos));
    const ProjKindInfo* info = ProjInfoAt(pos);
    std::string op = "-", shape = "no PROJ equivalent";
    double pf = kNaN, pi = kNaN;
    bool alike = false;
    if (info) {
      alike = info->checked && info->check.Alike();
      const std::string& d = info->equivalent.definition;
      const auto start = d.find('=') + 1;
      op = d.substr(start, d.find(' ', start) - start);
      pf = PerPointNs(r, ProjName("Forward", pos));
      pi = PerPointNs(r, ProjName("Inverse", pos));
      shape = info->checked ? DescribeShape(info->check) : "not checked";
      if (*info->equivalent.note) shape += std::string(" (") + info->equivalent.note + ")";
      if (info->noInverse) shape += " (PROJ has no inverse)";
    }
    const double rf = fwd / pf, ri = inv / pi, rr = row / pi;
    std::snprintf(line, sizeof line, "%-3d %-20s %8s %8s %8s  %-10s %8s %8s %6s%c %6s  %6s%c  %s\n", pos,
                  KindLabel(pos).c_str(), Cell(fwd, "%.1f").c_str(), Cell(inv, "%.1f").c_str(),
                  Cell(row, "%.1f").c_str(), op.c_str(), Cell(pf, "%.1f").c_str(),
                  Cell(pi, "%.1f").c_str(), Cell(rf, "%.2f").c_str(), ' ', Cell(ri, "%.2f").c_str(),
                  Cell(rr, "%.2f").c_str(), alike && rr > kRatioTarget ? '!' : ' ', shape.c_str());
    out << line;
  }
}

void PrintRenderTable(std::ostream& out, const MedianReporter& r, int repetitions) {
  char line[256];
  std::snprintf(line, sizeof line,
                "\nRender of the window's map, %dx%d, ms (median of %d, smaller of wall and CPU); target < %.1f ms, "
                "'!' marks a miss\n",
                kMapWidth, kMapHeight, repetitions, kFrameMs);
  out << line;
  std::snprintf(line, sizeof line, "%-3s %-20s %12s %14s %10s %10s %7s\n", "pos", "kind",
                "colour+grid", "+coastlines", "ns/px", "inv ns/pt", "earth");
  out << line;
  for (int pos = kFirstListedPosition; pos < kListCount; ++pos) {
    const double a = MsOf(r, RenderName(pos, kMapWidth, kMapHeight, false));
    const double b = MsOf(r, RenderName(pos, kMapWidth, kMapHeight, true));
    const double inv = PerPointNs(r, EngineName("Inverse", pos));
    std::snprintf(line, sizeof line, "%-3d %-20s %11s%c %13s%c %10s %10s %7s\n", pos,
                  KindLabel(pos).c_str(), Cell(a, "%.2f").c_str(), a >= kFrameMs ? '!' : ' ',
                  Cell(b, "%.2f").c_str(), b >= kFrameMs ? '!' : ' ',
                  Cell(b * 1e6 / kMapPoints, "%.1f").c_str(), Cell(inv, "%.1f").c_str(),
                  Cell(100 * EarthShare(pos), "%.0f%%").c_str());
    out << line;
  }
}

void PrintGrowthTable(std::ostream& out, const MedianReporter& r,
                      const std::vector<int>& positions) {
  char line[256];
  std::snprintf(line, sizeof line,
                "\nGrowth with the pixel count (colour+grid+coastlines), ms (median); "
                "growth = per-pixel cost / that on %dx%d, target <= %.1f\n",
                kMapWidth, kMapHeight, kGrowthTarget);
  out << line;
  std::snprintf(line, sizeof line, "%-3s %-20s %10s %10s %10s %8s %8s\n", "pos", "kind",
                "528x507", "1024x1024", "2048x2048", "g 1024", "g 2048");
  out << line;
  for (int pos : positions) {
    const double base = MsOf(r, RenderName(pos, kMapWidth, kMapHeight, true));
    const double m1 = MsOf(r, RenderName(pos, 1024, 1024, true));
    const double m2 = MsOf(r, RenderName(pos, 2048, 2048, true));
    const double basePx = base / kMapPoints;
    const double g1 = m1 / (1024.0 * 1024.0) / basePx, g2 = m2 / (2048.0 * 2048.0) / basePx;
    std::snprintf(line, sizeof line, "%-3d %-20s %10s %10s %10s %7s%c %7s%c\n", pos,
                  KindLabel(pos).c_str(), Cell(base, "%.2f").c_str(), Cell(m1, "%.2f").c_str(),
                  Cell(m2, "%.2f").c_str(), Cell(g1, "%.2f").c_str(), g1 > kGrowthTarget ? '!' : ' ',
                  Cell(g2, "%.2f").c_str(), g2 > kGrowthTarget ? '!' : ' ');
    out << line;
  }
}

std::vector<int> SlowestRenders(const MedianReporter& r) {
  std::vector<std::pair<double, int>> times;
  for (int pos = kFirstListedPosition; pos < kListCount; ++pos) {
    const double ms = MsOf(r, RenderName(pos, kMapWidth, kMapHeight, true));
    if (!std::isnan(ms)) times.push_back({ms, pos});
  }
  std::sort(times.rbegin(), times.rend());
  std::vector<int> order;
  for (const auto& t : times) order.push_back(t.second);
  return order;
}

void PrintSummary(std::ostream& out, const MedianReporter& r, const std::vector<int>& growth) {
  char line[256];
  out << "\nTargets\n";

  // Drawing: the slowest kind and every kind over a frame.
  const std::vector<int> slow = SlowestRenders(r);
  if (!slow.empty()) {
    int misses = 0, missesWithoutCoast = 0;
    for (int pos : slow) {
      if (MsOf(r, RenderName(pos, kMapWidth, kMapHeight, true)) >= kFrameMs) ++misses;
      if (MsOf(r, RenderName(pos, kMapWidth, kMapHeight, false)) >= kFrameMs) ++missesWithoutCoast;
    }
    std::snprintf(line, sizeof line,
                  "  Render 528x507 < %.1f ms: slowest %s (pos %d) %.2f ms with coastlines; "
                  "%d of %zu kinds miss (%d without coastlines)\n",
                  kFrameMs, KindLabel(slow[0]).c_str(), slow[0],
                  MsOf(r, RenderName(slow[0], kMapWidth, kMapHeight, true)), misses, slow.size(),
                  missesWithoutCoast);
    out << line;
  }

  // Engine against PROJ: the colour pass's work per pixel against PROJ's
  // inverse is the target; the forward's ratio is shown beside it.
  double worstRow = kNaN, worstForward = kNaN;
  int worstRowPos = -1, worstForwardPos = -1, compared = 0, forwardMet = 0, rowMet = 0, rows = 0;
  for (int pos = kFirstListedPosition; pos < kListCount; ++pos) {
    // A kind that PROJ draws differently says nothing about our speed.
    const ProjKindInfo* info = ProjInfoAt(pos);
    if (!info || !info->checked || !info->check.Alike()) continue;
    const double rf = PerPointNs(r, EngineName("Forward", pos)) / PerPointNs(r, ProjName("Forward", pos));
    const double rr = PerPointNs(r, EngineName("Row", pos)) / PerPointNs(r, ProjName("Inverse", pos));
    if (!std::isnan(rf)) {
      ++compared;
      if (rf <= kRatioTarget) ++forwardMet;
      if (std::isnan(worstForward) || rf > worstForward) worstForward = rf, worstForwardPos = pos;
    }
    if (!std::isnan(rr)) {
      ++rows;
      if (rr <= kRatioTarget) ++rowMet;
      if (std::isnan(worstRow) || rr > worstRow) worstRow = rr, worstRowPos = pos;
    }
  }
  if (worstRowPos >= 0) {
    std::snprintf(line, sizeof line,
                  "  colour pass / PROJ's inverse <= %.2g: worst %s (pos %d) %.2f; met by %d of "
                  "the %d kinds that PROJ draws alike and inverts\n",
                  kRatioTarget, KindLabel(worstRowPos).c_str(), worstRowPos, worstRow, rowMet, rows);
    out << line;
  }
  if (worstForwardPos >= 0) {
    std::snprintf(line, sizeof line,
                  "  (forward / PROJ's forward, for comparison: worst %s (pos %d) %.2f; <= %.2g "
                  "for %d of %d)\n",
                  KindLabel(worstForwardPos).c_str(), worstForwardPos, worstForward, kRatioTarget,
                  forwardMet, compared);
    out << line;
  }

  // Growth: the largest per-pixel factor on the 2048 map.
  double g = kNaN;
  int gPos = -1;
  for (int pos : growth) {
    const double base = MsOf(r, RenderName(pos, kMapWidth, kMapHeight, true)) / kMapPoints;
    const double f = MsOf(r, RenderName(pos, 2048, 2048, true)) / (2048.0 * 2048.0) / base;
    if (!std::isnan(f) && (std::isnan(g) || f > g)) {
      g = f;
      gPos = pos;
    }
  }
  if (gPos >= 0) {
    std::snprintf(line, sizeof line,
                  "  growth 2048x2048 <= %.1f: largest %.2f (%s, pos %d)\n", kGrowthTarget, g,
                  KindLabel(gPos).c_str(), gPos);
    out << line;
  }
}

}  // namespace bench
