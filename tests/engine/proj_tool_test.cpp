// weltnetz-proj as a user runs it: set-up order, output format, bad lines and
// bad options.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <sstream>

namespace {

struct ShellRun {
  int status;
  std::string out, err;
};

// Runs a bash command line in which $TOOL is weltnetz-proj; ctest runs this
// file's tests in parallel processes, so each run has its own files.
ShellRun Shell(const std::string& commands) {
  static int calls = 0;
  const std::string base =
      testing::TempDir() + "weltnetz_proj_" + std::to_string(getpid()) + "_" + std::to_string(++calls);
  std::ofstream(base + ".sh") << "TOOL=" << WELTNETZ_TOOLS_DIR << "/weltnetz-proj\n" << commands << "\n";
  const int st = std::system(("bash " + base + ".sh >" + base + ".out 2>" + base + ".err").c_str());
  const auto take = [&base](const char* suffix) {  // the file's text, and the file gone
    std::ifstream in(base + suffix);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    std::remove((base + suffix).c_str());
    return text;
  };
  take(".sh");
  return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, take(".out"), take(".err")};
}

// weltnetz-proj with these arguments, reading input (whole lines, or nothing).
ShellRun Tool(const std::string& args, const std::string& input = "") {
  return Shell("$TOOL " + args + (input.empty() ? " < /dev/null" : " <<'END'\n" + input + "END"));
}

// Whether text holds part; the text is shown when not.
testing::AssertionResult Contains(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "\"" << part << "\" not in:\n" << text;
}

// The value of one "Key value" line of --show (NaN when there is none).
double ShownValue(const std::string& show, const std::string& key) {
  const auto at = ("\n" + show).find("\n" + key + " ");
  return at == std::string::npos ? NAN : std::strtod(show.c_str() + at + key.size() + 1, nullptr);
}

}  // namespace

// Position 19, equirectangular: x = 264 + 100 lambda, y = 253 - 100 phi. A bad line is marked and makes
// the exit status 1, the others still print; --theta, --cutoff and --oblique take effect.
TEST(ProjTool, ForwardInverseAndBadLines) {
  const struct { const char *args, *input, *out; int status; } cases[] = {
      {"--kind 19 --radius 100", "30 60\nnot numbers\n1 2 3\n-30 -60\n",
       "316.3598775598299 148.28024488034023 0\n* * -1\n* * -1\n211.6401224401701 357.71975511965979 0\n",
       1},
      {"--enum 65", "10 20\n", "0.17453292519943295 0.3490658503988659 0\n", 0},
      {"--kind 19 --radius 100 --theta 30", "30 0\n", "264 253 0\n", 0},
      {"--kind 49 --cutoff", "10 72\n", "-1 -1 262\n", 0},
  };
  for (const auto& c : cases) {
    const ShellRun r = Tool(c.args, c.input);
    EXPECT_EQ(r.out, c.out) << c.args;
    EXPECT_EQ(r.status, c.status) << c.args;
  }
  const ShellRun r = Tool("--kind 19 --radius 100 --inverse", "316.3598775598299 148.28024488034023\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out.ends_with(" 0\n")) << r.out;
  EXPECT_NE(Tool("--kind 49", "10 72\n").out, "-1 -1 262\n");
  EXPECT_NE(Tool("--kind 19 --oblique 30", "10 20\n").out, Tool("--kind 19", "10 20\n").out);
}

// Every set-up option reaches the component after the window's defaults; --kind takes a position, a
// German, enum or English name, or a part only one kind has, in any case, German letters folded.
TEST(ProjTool, EverySetUpOptionAndKindNameIsApplied) {
  struct Case {
    const char* option;
    const char* key;
    double shown;
  };
  const Case cases[] = {
      {"--radius 12.5", "Radius", 12.5}, {"--theta -33.25", "Theta", -33.25}, {"--phi0 21.5", "Phi0", 21.5},
      {"--phi1 -7", "Phi1", -7}, {"--phi2 44", "Phi2", 44}, {"--other 0.75", "Other", 0.75},
      {"--oblique 30", "Oblique", 30}, {"--x0 101.5", "X0", 101.5}, {"--y0 99", "Y0", 99},
      {"--map-input -5", "MapInput", -5}, {"--cutoff", "ForwardCutOff", 1}, {"--not-ready", "Ready", 0},
      {"--enum 65", "Projection", 65}, {"--size 100x61", "Y0", 30}, {"--size 100x61", "X0", 50},
      {"--kind 40", "MapInput", 30}, {"--kind 40", "Projection", 19}, {"--kind 40", "X0", 264},
      {"--kind 40", "Y0", 253}, {"--kind 'Mercator-Projektion'", "Projection", 19},
      {"--kind mpMercator", "Projection", 19}, {"--kind Mercator", "Projection", 19},
      {"--kind mpTMercator", "Projection", 17}, {"--kind 'transverse merc'", "Projection", 17},
      {"--kind 'AZIMUTHAL EQUIDISTANT'", "Projection", 10}, {"--kind ÄQUIRECHT", "Projection", 6},
      {"--kind äquidist", "Projection", 24},  // Äquidistante Kegelprojektion
      {"--kind robin", "Projection", 14}, {"--kind 'Putnins-Projektion'", "Projection", 39},
  };
  for (const Case& c : cases) {
    const ShellRun r = Tool(std::string("--kind 19 ") + c.option + " --show");
    EXPECT_EQ(r.status, 0) << c.option << ": " << r.err;
    EXPECT_NEAR(ShownValue(r.out, c.key), c.shown, 1e-12) << c.option << "\n" << r.out;
  }
  // The window's radius for Mercator, printed to the last digit.
  EXPECT_TRUE(Contains(Tool("--kind Mercator-Projektion --show").out, "Radius 74.897727272727266\n"));
}

// Output that cannot be written is an error: a full device, a closed stdout,
// for the lines, --list and --show alike.
TEST(ProjTool, WriteErrorsExitWithOne) {
  for (const char* command : {"echo '10 20' | $TOOL > /dev/full", "$TOOL --list > /dev/full",
                              "$TOOL --show > /dev/full", "echo '10 20' | $TOOL >&-",
                              "$TOOL --list >&-", "$TOOL --show >&-"}) {
    const ShellRun r = Shell(command);
    EXPECT_EQ(r.status, 1) << command;
    EXPECT_TRUE(Contains(r.err, "cannot write the output")) << command;
  }
  EXPECT_EQ(Shell("echo '10 20' | $TOOL > /dev/null").status, 0);
}

// A line longer than 4 KiB is a bad line, and reading it takes no memory to
// speak of: a 300 MB line goes through under a 64 MB address-space limit.
TEST(ProjTool, OverlongLinesAreBadLinesInBoundedMemory) {
  ShellRun r = Shell("{ head -c 5000 /dev/zero | tr '\\0' 7; echo; echo '30 60'; } | $TOOL --kind 19");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.out.starts_with("* * -1\n") && Contains(r.out, " 0\n")) << r.out;
  EXPECT_TRUE(Contains(r.err, "line 1: longer than 4096 bytes"));
  // Exactly 4096 bytes is still a line; one more is not.
  r = Shell("{ printf '10 20'; head -c 4091 /dev/zero | tr '\\0' ' '; echo; } | $TOOL --kind 19");
  EXPECT_EQ(r.status, 0) << r.err;
  r = Shell("{ printf '10 20'; head -c 4092 /dev/zero | tr '\\0' ' '; echo; } | $TOOL --kind 19");
  EXPECT_EQ(r.status, 1) << r.err;
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  // The sanitizers reserve far more address space than the limit allows;
  // the memory bound is measured in the plain build.
#else
  r = Shell("ulimit -v 65536; { head -c 300000000 /dev/zero | tr '\\0' 1; echo; echo '1 2'; } | "
            "$TOOL --kind 19 | head -c 100");
  EXPECT_EQ(r.out.substr(0, 7), "* * -1\n") << r.err;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2) << r.err;
#endif
}

// --list: one line per position in five columns, byte for byte, also with
// --lang de; in English a sixth, the English name, follows.
TEST(ProjTool, ListsEveryPositionAndInEnglishItsName) {
  const ShellRun german = Tool("--list"), de = Tool("--list --lang de"), en = Tool("--list --lang en");
  ASSERT_TRUE(german.status == 0 && en.status == 0);
  EXPECT_EQ(de.out, german.out);
  EXPECT_EQ(std::count(german.out.begin(), german.out.end(), '\n'), 65);
  EXPECT_TRUE(Contains(german.out, "64\t28\tmpWinkelII\tWinkel-Projektion II\t0\n"));
  EXPECT_TRUE(Contains(en.out, "4\t10\tmpAzimuthalEA\tAzimutale flächentreue Projektion\t0\t"
                               "Azimuthal equidistant\n"));
  EXPECT_TRUE(Contains(en.out, "3\t25\tmpAlbertsCEA\tAlbert flächentreue Kegelprojektion\t1\t"
                               "Albers equal-area conic\n"));
  // Each English line is the German one with a column more.
  std::istringstream g(german.out), e(en.out);
  int lines = 0;
  for (std::string a, b; std::getline(g, a) && std::getline(e, b); ++lines) {
    ASSERT_EQ(b.rfind(a + "\t", 0), 0u) << b;
    EXPECT_EQ(std::count(b.begin(), b.end(), '\t'), 5) << b;
    EXPECT_GT(b.size(), a.size() + 1) << b;
  }
  EXPECT_EQ(lines, 65);
}

// Bad options exit with 2 and print nothing; a --kind that several kinds fit or none is refused with the
// fits named (sixty names end in "Projektion": that list is cut short).
TEST(ProjTool, BadOptionsAndKindsExitWithTwo) {
  const std::pair<const char*, std::vector<const char*>> cases[] = {
      {"--bogus", {}}, {"--kind 65", {}}, {"--kind Nirgendwo", {}}, {"--enum 66", {}}, {"--size 10", {}},
      {"--radius", {}}, {"--theta abc", {}}, {"--list --lang fr", {}}, {"--list --lang EN", {}},
      {"--list --lang", {}},
      {"--kind mercator --show",
       {"\"mercator\" fits 2 kinds", "40  Mercator-Projektion  (Mercator, mpMercator)",
        "52  Transverse Mercator-Projektion  (Transverse Mercator, mpTMercator)"}},
      {"--kind projektion --show", {"and 48 more"}}, {"--kind Mercatur --show", {"no kind is named"}},
      {"--kind '' --show", {"no kind is named"}},    {"--kind mpPutnins2 --show", {"no kind is named"}},
      {"--kind -1 --show", {"no kind is named"}},
  };
  for (const auto& [args, messages] : cases) {
    const ShellRun r = Tool(args);
    EXPECT_TRUE(r.status == 2 && r.out.empty()) << args << ": " << r.status << " " << r.out;
    for (const char* m : messages) EXPECT_TRUE(Contains(r.err, m)) << args;
  }
}

// --distortion: "a b area angle" per point (angle in degrees), the tool's
// marks where there is none or the line is no point.
TEST(ProjTool, DistortionPrintsTheIndicatrix) {
  const ShellRun r = Tool("--kind 19 --distortion", "0 60\n10 95\nx y\n");
  double a, b, area, angle;
  // Equirectangular at 60 degrees: twice the scale along the parallel.
  ASSERT_EQ(std::sscanf(r.out.c_str(), "%lf %lf %lf %lf", &a, &b, &area, &angle), 4) << r.out;
  EXPECT_NEAR(a, 2, 1e-6);
  EXPECT_NEAR(b, 1, 1e-6);
  EXPECT_NEAR(area, 2, 1e-6);
  EXPECT_NEAR(angle, 2 * std::asin(1.0 / 3) * 180 / std::numbers::pi, 1e-5);
  EXPECT_TRUE(Contains(r.out, "\n* * * *\n* * -1\n"));
  EXPECT_EQ(r.status, 1);
}
