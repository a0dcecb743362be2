// The projection calls of a pass shared among threads, each with its own copy
// of the component (internal to the map control).
#pragma once

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

#include "projection/GxProjectionL.h"

// Threads share a pass only where nothing can tell them apart from one: a
// handler of the component would run on several threads at once and see its
// events out of order, and a converter carries state (the zone) from call to
// call. Fewer calls than this are not worth starting a thread for.
inline constexpr int kMaxLanes = 4;
inline constexpr std::int64_t kMinCallsForLanes = 20000;

inline int LanesFor(const TGxProjectionL& p, std::int64_t calls) {
  if (p.OnError || p.OnForward || p.OnInverse || p.GxConvert) return 1;
  if (calls < kMinCallsForLanes) return 1;
  // Asking costs a read of a system file; the answer does not change.
  static const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores, 1u, static_cast<unsigned>(kMaxLanes)));
}

// Units of work (rows of pixels, runs of points) numbered 0..n-1 and handed
// out in order to whichever thread is free, each working on its own copy of
// the component. Afterwards the component receives the fields that one
// thread doing every unit in order would have left.
class TLanes {
 public:
  TLanes(const TGxProjectionL& p, int threads) : otherBefore_(p.Other) {
    lanes_.reserve(static_cast<std::size_t>(std::max(threads, 1)));
    for (int i = 0; i < std::max(threads, 1); ++i) lanes_.emplace_back(p);
  }

  // Runs work(copy, unit) for every unit, this thread taking part. Between
  // two of its own units this thread calls between(doneUnits), doneUnits
  // counting the units finished on every thread; when that returns false,
  // Run stops the others and returns false. No thread outlives Run, however
  // it ends (an exception from `between` included). Not every unit need run
  // on another thread: if none can be started, this one does them all.
  template <class Work, class Between>
  bool Run(int units, Work work, Between between) {
    units_ = units;
    std::atomic<int> next{0};
    std::atomic<int> done{0};
    std::atomic<bool> stop{false};
    auto runNext = [&](Lane& lane) {
      const int u = next.fetch_add(1, std::memory_order_relaxed);
      if (u >= units) return false;
      lane.Do(u, work);
      done.fetch_add(1, std::memory_order_relaxed);
      return true;
    };
    struct Threads {
      std::atomic<bool>& stop;
      std::vector<std::thread> all;
      ~Threads() {
        stop = true;
        JoinAll();
      }
      void JoinAll() {
        for (std::thread& t : all)
          if (t.joinable()) t.join();
      }
    } threads{stop, {}};
    threads.all.reserve(lanes_.size() - 1);
    for (std::size_t i = 1; i < lanes_.size(); ++i) {
      try {
        threads.all.emplace_back([&, i] {
          while (!stop.load(std::memory_order_relaxed) && runNext(lanes_[i])) {
          }
        });
      } catch (const std::system_error&) {
        break;  // the threads there are do the rest
      }
    }
    while (runNext(lanes_[0]))
      if (!between(done.load(std::memory_order_relaxed))) return false;
    threads.JoinAll();
    return true;
  }

  // The component's working fields as one thread doing every unit in order
  // leaves them. `Other` is written only by a clamp into its valid range,
  // the same for every call; a value that a handler set meanwhile is kept.
  void MergeInto(TGxProjectionL& p) const {
    for (const Lane& lane : lanes_) {
      if (lane.lastUnit == units_ - 1) {
        p.X = lane.p.X;
        p.Y = lane.p.Y;
        p.ErrorCode = lane.p.ErrorCode;
      }
      if (SameBits(p.Other, otherBefore_) && !SameBits(lane.p.Other, otherBefore_))
        p.Other = lane.p.Other;
    }
    for (int i = 0; i < kStickyCount; ++i) {
      int last = -1;
      for (const Lane& lane : lanes_) {
        if (lane.stickyUnit[i] > last) {
          last = lane.stickyUnit[i];
          p.*kStickyFields[i] = lane.stickyValue[i];
        }
      }
    }
  }

 private:
  // The fields that some calls write and others leave alone.
  static constexpr double TGxProjectionL::*kStickyFields[] = {
      &TGxProjectionL::IterLat, &TGxProjectionL::IterAux, &TGxProjectionL::SemiMajor,
      &TGxProjectionL::AxisRatio};
  static constexpr int kStickyCount = static_cast<int>(std::size(kStickyFields));

  static bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
  }

  // Put into those fields before each unit to see whether the unit wrote
  // them: a NaN whose payload no arithmetic makes. No kind reads them before
  // writing them in the same call, which the sharing relies on anyway.
  static double Unwritten() { return std::bit_cast<double>(std::uint64_t{0x7ff8'5eed'0bad'f00d}); }

  struct Lane {
    explicit Lane(const TGxProjectionL& original) : p(original) {}

    template <class Work>
    void Do(int unit, Work& work) {
      double kept[kStickyCount];
      for (int i = 0; i < kStickyCount; ++i) {
        kept[i] = p.*kStickyFields[i];
        p.*kStickyFields[i] = Unwritten();
      }
      work(p, unit);
      for (int i = 0; i < kStickyCount; ++i) {
        if (SameBits(p.*kStickyFields[i], Unwritten())) {
          p.*kStickyFields[i] = kept[i];
        } else {
          stickyUnit[i] = unit;
          stickyValue[i] = p.*kStickyFields[i];
        }
      }
      lastUnit = unit;
    }

    TGxProjectionL p;
    int lastUnit = -1;
    int stickyUnit[kStickyCount] = {-1, -1, -1, -1};
    double stickyValue[kStickyCount] = {};
  };

  std::vector<Lane> lanes_;
  double otherBefore_;
  int units_ = 0;
};
