// The step counter of a drawing (internal to the map control).
#pragma once

#include <QCoreApplication>

#include <climits>
#include <cstdint>

#include "mapimage/DrawLine.h"
#include "mapimage/GxMapImageL.h"

// One step counter shared by the colour and the coast pass. Every
// kProgressInterval steps it reports and lets pending events run; a painter
// open on MainMap is closed first, since a handler may replace the image.
class TGxMapImageL::ProgressCounter {
 public:
  ProgressCounter(TGxMapImageL& map, std::int64_t total) : map_(map), total_(total) {}

  // True when events have run: callers must fetch their pixel rows again.
  bool Step(TLineCanvas* canvas = nullptr) {
    if (++count_ % kProgressInterval != 0) return false;
    if (canvas) canvas->End();
    map_.DoProgress(Clamp(total_), Clamp(count_));
    QCoreApplication::processEvents();
    return true;
  }

  // Steps left up to and including the next report (1 to kProgressInterval).
  std::int64_t StepsToReport() const { return kProgressInterval - count_ % kProgressInterval; }
  // n steps at once, 1 <= n <= StepsToReport(): the same as n calls of Step.
  bool Advance(std::int64_t n) {
    count_ += n - 1;
    return Step();
  }

  static int Clamp(std::int64_t v) { return v > INT_MAX ? INT_MAX : static_cast<int>(v); }

 private:
  TGxMapImageL& map_;
  std::int64_t total_;
  std::int64_t count_ = 0;
};
