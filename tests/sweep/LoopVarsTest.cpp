#include <gtest/gtest.h>

#include "LoopVars.h"
#include "ResultsFile.h"

namespace {
std::array<int32_t, 4> Orders(const TLoopVars& v) { return {v[0].Order, v[1].Order, v[2].Order, v[3].Order}; }
}  // namespace

TEST(LoopVarsTest, DefaultsVaryOnlyAirVelocity) {
  const TLoopVars v = DefaultLoopVars();
  EXPECT_EQ(v[0].Name, "Air Velocity");
  EXPECT_EQ(v[3].Name, "Discharge");
  EXPECT_EQ(Orders(v), (std::array<int32_t, 4>{1, 0, 0, 0}));
  EXPECT_TRUE(v[0].Checked);
  EXPECT_FALSE(v[1].Checked || v[2].Checked || v[3].Checked);
  EXPECT_EQ(FindLoopOrder(v, 0), 0);
  EXPECT_EQ(FindLoopOrder(v, 1), -1);
}

// Each step ticks (+) or unticks (-) a record; the orders after it.
TEST(LoopVarsTest, TickRuleKeepsOrdersOneToK) {
  struct TStep {
    int Index;
    bool Ticked;
    std::array<int32_t, 4> Orders;
  };
  struct TCase {
    const char* Name;
    std::vector<TStep> Steps;
  } cases[] = {
      {"tick dry bulb then discharge, untick dry bulb",
       {{1, true, {1, 2, 0, 0}}, {3, true, {1, 2, 0, 3}}, {1, false, {1, 0, 0, 2}}}},
      {"untick the only ticked variable", {{0, false, {0, 0, 0, 0}}}},
      {"untick the outermost of three",
       {{1, true, {1, 2, 0, 0}}, {2, true, {1, 2, 3, 0}}, {0, false, {0, 1, 2, 0}}}},
      {"tick, untick, tick again: innermost",
       {{1, true, {1, 2, 0, 0}}, {2, true, {1, 2, 3, 0}}, {1, false, {1, 0, 2, 0}}, {1, true, {1, 3, 2, 0}}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TLoopVars v = DefaultLoopVars();
    for (const TStep& s : c.Steps) {
      ApplyTickRule(v, s.Index, s.Ticked);
      EXPECT_EQ(Orders(v), s.Orders);
    }
  }
}

TEST(ResultsFilePathTest, ReplacesOrAppendsTheExtension) {
  struct {
    const char* Name;
    const char* Path;
  } cases[] = {
      {"Results", "/x/Results.csv"},      {"Results.dat", "/x/Results.csv"},
      {"Results.csv", "/x/Results.csv"},  {"run.2024.txt", "/x/run.2024.csv"},
      {"sub/run", "/x/sub/run.csv"},      {"sub.d/run", "/x/sub.d/run.csv"},
  };
  for (const auto& c : cases) EXPECT_EQ(ResultsFilePath("/x/", c.Name), c.Path) << c.Name;
}
