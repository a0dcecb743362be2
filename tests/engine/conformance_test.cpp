// Runs conformance.txt: one call per row, its pair, its code and its events.
// The table's head describes the columns.
#include "EngineTest.h"

#include "projection/Kernel.h"

namespace {

struct Expectation {
  std::vector<int> events;  // OnError codes in order
  int code;
};

// "N": code N reported once; "~N": code N and no event; "A,B": events A then B.
Expectation ParseCode(const std::string& text) {
  if (text[0] == '~') return {{}, std::atoi(text.c_str() + 1)};
  Expectation e{{}, 0};
  std::istringstream list(text);
  for (std::string c; std::getline(list, c, ',');) e.events.push_back(std::atoi(c.c_str()));
  e.code = e.events.back();
  return e;
}

void RunRow(const char* file, const TableRow& row, const std::vector<std::string>& frame) {
  const auto& t = row.tokens;
  SCOPED_TRACE(testing::Message() << file << ":" << row.line << " " << t[0]);
  TProjection kind;
  ASSERT_TRUE(KindFromText(t[0], kind));
  TGxProjectionL p = MakeReady(kind);
  std::vector<std::string> keys = frame;
  size_t i = 1;
  for (; i < t.size() && t[i].find('=') != std::string::npos; ++i) keys.push_back(t[i]);
  for (const std::string& kv : keys) {
    const size_t eq = kv.find('=');
    ASSERT_TRUE(SetParameter(p, kv.substr(0, eq), Number(kv.substr(eq + 1)))) << kv;
  }
  ASSERT_EQ(t.size(), i + 7) << "columns";
  const std::string& dir = t[i];
  const double a = Number(t[i + 1]), b = Number(t[i + 2]), tol = Number(t[i + 5]);
  const Expectation expected = ParseCode(t[i + 6]);

  EventLog log;
  log.Attach(p);
  if (dir == "F") {
    p.Forward(a, b);
  } else if (dir == "I") {
    p.Inverse(a, b);
  } else {  // "i": the kind's inverse routine alone, before the frame folds
    ASSERT_EQ(dir, "i");
    ASSERT_NE(gx::EntryOf(kind), nullptr);
    gx::RunInverseRoutine(p, a, b);
  }
  EXPECT_EQ(p.ErrorCode, expected.code);
  EXPECT_EQ(log.errors, expected.events);
  if (t[i + 3] != "*") {
    EXPECT_NEAR(p.X, Number(t[i + 3]), tol);
  }
  if (t[i + 4] != "*") {
    EXPECT_NEAR(p.Y, Number(t[i + 4]), tol);
  }
}

void RunTable(const char* file, std::size_t atLeast) {
  const std::vector<TableRow> rows = ReadTable(file);
  ASSERT_GT(rows.size(), atLeast) << file << " missing or cut short";
  std::vector<std::string> frame;
  for (const TableRow& row : rows) {
    if (row.tokens[0] == "frame")
      frame.assign(row.tokens.begin() + 1, row.tokens.end());
    else
      RunRow(file, row, frame);
  }
}

TEST(Conformance, EveryRowOfTheTable) { RunTable("conformance.txt", 300); }

TEST(Conformance, ForwardValuesWorkedByHand) { RunTable("hand_values.txt", 30); }

}  // namespace
