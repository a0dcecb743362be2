// Shared set-up of the engine tests: a component prepared as the window does,
// an event recorder, and the reader of the data tables beside the tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "projection/GxProjectionL.h"

// The defaults of a kind for a 528 x 507 map on the given ellipsoid entry,
// centred at (253.5, 253.5); the tables' rows start from here.
inline TGxProjectionL MakeReady(TProjection kind, int mapInput = 220) {
  TGxProjectionL p;
  p.Projection = kind;
  p.MapInput = mapInput;
  ResetProjectionToDefaults(p, 528, 507);
  return p;
}

// The projection kinds of the list: every kind but the grids and mpPutnins2.
inline std::vector<TProjection> ProjectionKinds() {
  std::vector<TProjection> kinds;
  for (int k = 0; k < kProjectionCount; ++k)
    if (ListPositionOf(TProjection(k)) != 0) kinds.push_back(TProjection(k));
  return kinds;
}

// Whether the component's pair (X, Y) lies within `within` of (x, y).
inline testing::AssertionResult PairNear(const TGxProjectionL& p, double x, double y, double within) {
  if (std::fabs(p.X - x) <= within && std::fabs(p.Y - y) <= within) return testing::AssertionSuccess();
  return testing::AssertionFailure() << std::setprecision(17) << "(" << p.X << ", " << p.Y << ") is not ("
                                     << x << ", " << y << ") within " << within;
}

// The code Forward or Inverse leaves, for checks on a single call.
inline int ForwardCode(TGxProjectionL& p, double lon, double lat) {
  p.Forward(lon, lat);
  return p.ErrorCode;
}
inline int InverseCode(TGxProjectionL& p, double x, double y) {
  p.Inverse(x, y);
  return p.ErrorCode;
}

struct EventLog {
  std::vector<int> errors;
  std::vector<std::vector<double>> results;  // x, y, code of OnForward and OnInverse
  void Attach(TGxProjectionL& p) {
    p.OnError = [this](TGxProjectionL*, int code) { errors.push_back(code); };
    p.OnForward = [this](TGxProjectionL*, double x, double y, int code) {
      results.push_back({x, y, double(code)});
    };
    p.OnInverse = p.OnForward;
  }
};

// A kind by its identifier ("mpMollweide"), so that a kind added to the list shifts no row.
inline bool KindFromText(const std::string& text, TProjection& kind) {
  const std::optional<TProjection> found = KindNamed(text);
  if (found) kind = *found;
  return found.has_value();
}

// The parameters the tables may set: pixels, degrees, or plain numbers.
inline bool SetParameter(TGxProjectionL& p, const std::string& key, double v) {
  if (key == "R") p.Radius = v;
  else if (key == "X0") p.X0 = v;
  else if (key == "Y0") p.Y0 = v;
  else if (key == "lon0") p.SetTheta(v);
  else if (key == "phi0") p.SetPhi0(v);
  else if (key == "phi1") p.SetPhi1(v);
  else if (key == "phi2") p.Phi2 = v * gx::kDegToRad;
  else if (key == "other") p.Other = v;
  else if (key == "M") p.MapInput = int(v);
  else if (key == "cut") p.ForwardCutOff = v != 0;
  else if (key == "ready") p.Ready = v != 0;
  else if (key == "tilt") p.SetOblique(v);
  else if (key == "axlon") p.AxisTheta = v * gx::kDegToRad;
  else if (key == "axlat") p.AxisPhi = v * gx::kDegToRad;
  else return false;
  return true;
}

// The tokens of each line of a table file beside this header that is not
// blank or a '#' comment, with its line number for messages.
struct TableRow {
  int line;
  std::vector<std::string> tokens;
};
inline std::vector<TableRow> ReadTable(const std::string& name) {
  std::string dir = __FILE__;
  dir.erase(dir.find_last_of('/') + 1);
  std::ifstream in(dir + name);
  std::vector<TableRow> rows;
  std::string text;
  for (int line = 1; std::getline(in, text); ++line) {
    std::istringstream words(text.substr(0, text.find('#')));
    TableRow row{line, {}};
    for (std::string w; words >> w;) row.tokens.push_back(w);
    if (!row.tokens.empty()) rows.push_back(row);
  }
  return rows;
}

inline double Number(const std::string& text) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  EXPECT_TRUE(end != text.c_str() && *end == '\0') << "not a number: " << text;
  return v;
}
