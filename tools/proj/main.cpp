// weltnetz-proj: the projection engine from the command line. Reads "lon lat"
// (or "x y" with --inverse) per line and writes "X Y CODE" per line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "tools/common/ProjectionSetup.h"
#include "tools/proj/Distortion.h"
#include "weltnetz/Version.h"

namespace {

void Usage(const char* message) {
  if (message) std::fprintf(stderr, "weltnetz-proj: %s\n", message);
  std::fprintf(stderr,
               "usage: weltnetz-proj [options] < points\n"
               "       weltnetz-proj --list\n"
               "  --inverse       read pixel x y, write longitude latitude\n"
               "  --show          print the parameters after set-up and exit\n"
               "  --distortion    write \"a b area angle\" (Tissot's indicatrix, angle in\n"
               "                  degrees) per point, \"* * * *\" where there is none\n"
               "%s"
               "  -h, --help      this text\n"
               "  --version       the program's version\n",
               kSetupUsage);
}

void List() {
  for (int i = 0; i < kListCount; ++i) {
    const CatalogueEntry& e = CatalogueAt(i);
    std::printf("%d\t%d\t%.*s\t%.*s\t%d\n", i, int(e.Kind), int(EnumName(e.Kind).size()),
                EnumName(e.Kind).data(), int(e.DisplayName.size()), e.DisplayName.data(),
                int(e.EllipsType));
  }
}

void Show(const TGxProjectionL& p) {
  const double d = gx::kRadToDeg;
  std::printf("Radius %.17g\nTheta %.17g\nPhi0 %.17g\nPhi1 %.17g\nPhi2 %.17g\n", p.Radius,
              p.Theta * d, p.Phi0 * d, p.Phi1 * d, p.Phi2 * d);
  std::printf("X0 %.17g\nY0 %.17g\nOther %.17g\nOblique %.17g\n", p.X0, p.Y0, p.Other,
              p.Oblique * d);
  std::printf("MapInput %d\nReady %d\nProjection %d\n", p.MapInput, p.Ready ? 1 : 0,
              int(p.Projection));
}

// Exactly two numbers, nothing else on the line.
bool ReadPair(const std::string& line, double& a, double& b) {
  std::istringstream in(line);
  std::string s1, s2, rest;
  if (!(in >> s1 >> s2) || (in >> rest)) return false;
  char* end;
  a = std::strtod(s1.c_str(), &end);
  if (end == s1.c_str() || *end) return false;
  b = std::strtod(s2.c_str(), &end);
  return end != s2.c_str() && !*end;
}

}  // namespace

int main(int argc, char** argv) {
  ProjectionSetup setup;
  bool inverse = false, show = false, list = false, distortion = false;
  for (int i = 1; i < argc; ++i) {
    std::string error;
    const int used = ParseSetupOption(argc, argv, i, setup, error);
    if (used < 0) {
      Usage(error.c_str());
      return 2;
    }
    if (used > 0) {
      i += used - 1;
      continue;
    }
    if (!std::strcmp(argv[i], "--inverse")) inverse = true;
    else if (!std::strcmp(argv[i], "--show")) show = true;
    else if (!std::strcmp(argv[i], "--list")) list = true;
    else if (!std::strcmp(argv[i], "--distortion")) distortion = true;
    else if (!std::strcmp(argv[i], "--version")) {
      std::printf("weltnetz-proj %s\n", WELTNETZ_VERSION);
      return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    } else if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      Usage(nullptr);
      return 0;
    } else {
      const std::string message = std::string("unknown option ") + argv[i];
      Usage(message.c_str());
      return 2;
    }
  }
  if (list) {
    List();
    return 0;
  }

  TGxProjectionL p;
  ApplySetup(setup, p);
  if (show) {
    Show(p);
    return 0;
  }

  std::optional<DistortionPrinter> printer;
  if (distortion) printer.emplace(p);
  int status = 0;
  long lineNumber = 0;
  std::string line;
  while (std::getline(std::cin, line)) {
    ++lineNumber;
    double a, b;
    if (!ReadPair(line, a, b)) {
      std::fprintf(stderr, "weltnetz-proj: line %ld: two numbers expected\n", lineNumber);
      std::printf("* * -1\n");
      status = 1;
      continue;
    }
    if (printer) {
      printer->Print(a, b, inverse);
      continue;
    }
    if (inverse)
      p.Inverse(a, b);
    else
      p.Forward(a, b);
    std::printf("%.17g %.17g %d\n", p.X, p.Y, p.ErrorCode);
  }
  return status;
}
