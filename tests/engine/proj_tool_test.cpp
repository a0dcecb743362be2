// weltnetz-proj as a user runs it: set-up order, output format, bad lines and
// bad options.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ToolRun {
  std::string out;
  int status;
};

ToolRun Tool(const std::string& args, const std::string& input) {
  // ctest runs the tests of this file in parallel processes: one input file each.
  static int calls = 0;
  const std::string in = testing::TempDir() + "weltnetz_proj_input_" +
                         std::to_string(getpid()) + "_" + std::to_string(++calls) + ".txt";
  std::ofstream(in) << input;
  const std::string cmd =
      std::string(WELTNETZ_TOOLS_DIR) + "/weltnetz-proj " + args + " < " + in + " 2>/dev/null";
  FILE* f = popen(cmd.c_str(), "r");
  ToolRun r{"", -1};
  if (!f) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) r.out.append(buf, n);
  const int st = pclose(f);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  std::remove(in.c_str());
  return r;
}

}  // namespace

TEST(ProjTool, ListsEveryPosition) {
  ToolRun r = Tool("--list", "");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("4\t10\tmpAzimuthalEA\tAzimutale flächentreue Projektion\t0\n"),
            std::string::npos);
  EXPECT_NE(r.out.find("64\t28\tmpWinkelII\tWinkel-Projektion II\t0\n"), std::string::npos);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 65);
}

TEST(ProjTool, SetUpLikeTheWindow) {
  ToolRun r = Tool("--kind Mercator-Projektion --show", "");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Radius 74.897727272727266\n"), std::string::npos);
  EXPECT_NE(r.out.find("X0 264\nY0 253\n"), std::string::npos);
  EXPECT_NE(r.out.find("MapInput 30\n"), std::string::npos);
  EXPECT_NE(r.out.find("Projection 19\n"), std::string::npos);
  // Explicit options come after the defaults and win.
  r = Tool("--kind 19 --size 100x200 --radius 10 --phi2 45 --map-input 7 --not-ready --show", "");
  EXPECT_NE(r.out.find("Radius 10\n"), std::string::npos);
  EXPECT_NE(r.out.find("Phi2 45\n"), std::string::npos);
  EXPECT_NE(r.out.find("X0 50\nY0 100\n"), std::string::npos);
  EXPECT_NE(r.out.find("MapInput 7\nReady 0\n"), std::string::npos);
}

TEST(ProjTool, ForwardInverseAndBadLines) {
  // Position 19, equirectangular: x = 264 + 100 lambda, y = 253 - 100 phi.
  ToolRun r = Tool("--kind 19 --radius 100", "30 60\nnot numbers\n1 2 3\n-30 -60\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            "316.3598775598299 148.28024488034023 0\n* * -1\n* * -1\n"
            "211.6401224401701 357.71975511965979 0\n");
  r = Tool("--kind 19 --radius 100 --inverse", "316.3598775598299 148.28024488034023\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.substr(r.out.size() - 3), " 0\n");
  r = Tool("--enum 65", "10 20\n");
  EXPECT_EQ(r.out, "0.17453292519943295 0.3490658503988659 0\n");
}

TEST(ProjTool, BadOptionsExitWithTwo) {
  for (const char* args : {"--bogus", "--kind 65", "--kind Nirgendwo", "--enum 66",
                           "--size 10", "--radius", "--theta abc"})
    EXPECT_EQ(Tool(args, "").status, 2) << args;
}
