// The projection set-up shared by the command-line tools, so that every tool
// prepares a component exactly as the window does and reads the same options.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "projection/GxProjectionL.h"

struct ProjectionSetup {
  int position = 4;                 // catalogue position, unless enumOrdinal is set
  std::optional<int> enumOrdinal;   // Projection set directly (reaches mpPutnins2)
  int width = 528, height = 507;    // the window's map
  std::optional<double> radius, theta, phi0, phi1, phi2, other, oblique, x0, y0;
  std::optional<int> mapInput;
  bool cutoff = false;
  bool notReady = false;
};

// Help text of the set-up options, for the tools' usage messages.
extern const char* const kSetupUsage;

// Reads the set-up option at argv[i] with its value. Returns the number of
// arguments used, 0 when argv[i] is not a set-up option, -1 on a bad value
// (error then says why).
int ParseSetupOption(int argc, char** argv, int i, ProjectionSetup& s, std::string& error);

// The catalogue positions a --kind value names: a position 0-64; else the
// one whose German display name, enum name or English name it is, exactly;
// else every position with a name that holds it, in any case. One position
// is a choice, none or several are not.
std::vector<int> KindsNamed(const std::string& value);

// Parses "WxH", both sides whole numbers from 1 to kMaxMapSide
// (mapimage/ImageLimits.h). On failure why says so and the sizes keep their
// values.
bool ParseSize(const std::string& text, int& width, int& height, std::string& why);

// Prepares p: SetUpLikeWindow for the kind and the map size, then every
// explicit option; the tilt axis at (Theta, Phi0) as they finally are.
void ApplySetup(const ProjectionSetup& s, TGxProjectionL& p);
