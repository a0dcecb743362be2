// The component's frame: events, codes, the tilt, the inverse folding and the
// catalogue, independent of any one kind's formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "projection/GxProjectionL.h"

namespace {

struct EventLog {
  std::vector<int> errors;
  std::vector<std::vector<double>> results;  // x, y, code
  void Attach(TGxProjectionL& p) {
    p.OnError = [this](TGxProjectionL* s, int code) {
      EXPECT_NE(s, nullptr);
      errors.push_back(code);
    };
    p.OnForward = [this](TGxProjectionL*, double x, double y, int code) {
      results.push_back({x, y, double(code)});
    };
    p.OnInverse = p.OnForward;
  }
};

TGxProjectionL MakeReady(TProjection kind) {
  TGxProjectionL p;
  p.Projection = kind;
  ResetProjectionToDefaults(p, 528, 507);
  return p;
}

}  // namespace

TEST(Component, FreshComponentRefusesWithItsNotReadyCode) {
  TGxProjectionL p;
  p.Projection = mpEquirectangular;
  EventLog log;
  log.Attach(p);
  p.Forward(10, 20);
  EXPECT_EQ(p.ErrorCode, 180);
  ASSERT_EQ(log.errors, std::vector<int>{180});
  ASSERT_EQ(log.results.size(), 1u);
  EXPECT_EQ(log.results[0], (std::vector<double>{0, 0, 180}));
}

TEST(Component, KindWithoutRoutineReturnsRadians) {
  TGxProjectionL p;
  p.Projection = mpPutnins2;
  p.Forward(10, 20);
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_EQ(p.X, 0.17453292519943295);
  EXPECT_EQ(p.Y, 0.3490658503988659);
}

TEST(Component, SetErrorFiresForZeroButNotForSolverMarkers) {
  TGxProjectionL p;
  EventLog log;
  log.Attach(p);
  p.SetError(0);
  p.SetError(10000);
  p.SetError(9999);
  EXPECT_EQ(log.errors, (std::vector<int>{0, 9999}));
}
