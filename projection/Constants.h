// Constants of the engine's public interface: the angle conversions, the
// ellipsoid record of the conversion component's store, and the silent
// markers of the latitude solvers.
#pragma once

#include <numbers>

namespace gx {

inline constexpr double kPi = std::numbers::pi;
inline constexpr double kHalfPi = std::numbers::pi / 2;
inline constexpr double kTwoPi = 2 * std::numbers::pi;
// Every conversion between degrees and radians multiplies by one of these.
inline constexpr double kDegToRad = 0.017453292519943295;  // pi/180
inline constexpr double kRadToDeg = 57.295779513082323;    // 180/pi

// The built-in ellipsoid table has entries 0..51; 30 (WGS 84) is the
// fallback for every index it does not know.
inline constexpr int kEllipsoidTableSize = 52;
inline constexpr int kFallbackEllipsoid = 30;

struct EllipsoidRecord {
  double SemiMajor;          // a, metres
  double InverseFlattening;  // 1/f
};

// Markers of a latitude solver that did not converge. A solver shows them in
// ErrorCode without an event; the kind's routine that called it replaces
// them with its own code, so they never outlast a call of Forward or
// Inverse.
inline constexpr int kSolverNoConvergence = 10000;
inline constexpr int kSolverNoConvergenceBig = 100000;

}  // namespace gx
