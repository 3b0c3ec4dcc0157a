#include "results/evaluation_rules.h"

#include <gtest/gtest.h>

#include "support/fake_run_context.h"
#include "support/slot_sets.h"

namespace velkor {
namespace {

using testing::FakeRunContext;
using testing::Flagged;
using testing::LoggedLine;
using testing::SlotRanges;
using testing::SlotsHolding;

TEST(Dependency, EachRuleClearsExactlyItsDependents) {
  // clang-format off
  const std::set<int> w = SlotRanges({{11, 30}, {72, 73}, {75, 75}, {79, 82}, {84, 86}, {88, 92}, {95, 98},
                                      {103, 106}, {108, 108}, {112, 117}, {119, 134}});
  ASSERT_EQ(w.size(), 66u);
  const std::pair<int, std::set<int>> cases[] = {
      {0, w}, {1, w}, {2, {20, 23, 24}}, {3, {28, 30, 114}}, {4, {91, 92, 97, 110}}, {5, {17, 73}},
      {6, {91, 92, 106, 110}}, {7, {88, 91, 92}}, {8, {133}}, {9, {132}}, {10, w}, {11, {97}}, {12, w},
      {13, {91}}, {14, {}}, {-1, {}}};
  // clang-format on
  for (const auto& [rule, cleared] : cases) {
    FakeRunContext ctx;
    ConditionSlots slots = Flagged(SlotRanges({{0, 199}}));
    UpdateStatusWithDependecy(ctx, rule, slots);
    EXPECT_EQ(SlotsHolding(slots, "0"), cleared) << "rule " << rule;
  }
}

void RunRules(ConditionSlots& slots) {
  FakeRunContext ctx;
  CheckDependecy(ctx, slots);
  CheckKCCTest(ctx, slots);
  CheckMultipleDNSTest(ctx, slots);
  EXPECT_TRUE(ctx.lines.empty());
}

TEST(Rules, ClearedParentsNoLongerFireAndTwoOrMoreMembersMerge) {
  // clang-format off
  const std::pair<std::set<int>, std::set<int>> cases[] = {
      {{1, 20, 88, 134, 110, 3, 109, 111}, {1, 3, 109, 110, 111}}, {{22, 20, 21, 23, 24}, {21, 22}},
      {{132, 133}, {132}}, {{91, 97}, {91}},  // of two parents clearing each other the earlier rule wins
      {{88, 110}, {88}},                      // rule 4 clears 110 before rule 7 is reached
      {{115}, {115}}, {{115, 140}, {136}}, {{116, 137, 138, 20}, {20, 136}}, {{89, 129}, {135}},
      {{88, 95, 91, 97}, {135}},  // 95 survives the DNS test's rule and still counts
      {{3, 88, 89}, {3}}};        // cleared by the connectivity rule before merging
  // clang-format on
  for (const auto& [before, after] : cases) {
    ConditionSlots slots = Flagged(before);
    RunRules(slots);
    EXPECT_EQ(SlotsHolding(slots, "1"), after);
  }
}

TEST(Rules, OnlyExactOnesCount) {
  ConditionSlots slots = Flagged({20, 23, 115});
  for (const int slot : {1, 117}) slots.Set(slot, std::nullopt);
  for (const int slot : {22, 116}) slots.Set(slot, "2");
  RunRules(slots);
  EXPECT_EQ(SlotsHolding(slots, "1"), (std::set<int>{20, 23, 115}));
  EXPECT_EQ(SlotsHolding(slots, "2"), (std::set<int>{22, 116}));
}

const int kClosingSlots[] = {1, 3, 75, 29, 19, 20, 21, 22, 23, 24, 122, 17, 112, 113, 132, 133};

struct Closing {
  ConditionSlots status, errors, closingStatus, closingErrors;
  FakeRunContext ctx;
  void Run() { CheckClosingConditons(ctx, status, errors, closingStatus, closingErrors); }
};

TEST(ClosingConditions, FailuresLeftByTheRulesCloseWithZeroTheRestWithOne) {
  const std::pair<std::set<int>, std::set<int>> cases[] = {
      {{}, {}},
      {{1, 132}, {1}},                          // the share check's rule clears 132
      {{132, 133, 29, 75, 17}, {29, 75, 132}},  // 133 and 17 fall to the rules of 132 and 75
  };
  for (const auto& [flagged, closedWithZero] : cases) {
    Closing c;
    c.status = Flagged(flagged);
    c.errors.Set(132, "53");
    RunRules(c.status);
    c.Run();
    ASSERT_EQ(c.ctx.lines.size(), 16u);
    for (std::size_t i = 0; i < 16; ++i) {
      const int slot = kClosingSlots[i];
      const std::string closing = closedWithZero.contains(slot) ? "0" : "1";
      const std::string code = slot == 132 ? "53" : "0";
      EXPECT_TRUE(c.closingStatus.Holds(slot, closing) && c.closingErrors.Holds(slot, code)) << slot;
      EXPECT_EQ(c.ctx.lines[i],
                (LoggedLine{"Info", "Status and Errorcode", std::to_string(3000 + slot), closing, code}));
    }
  }
}

TEST(ClosingConditions, TimeServiceDecidesHowEntry75IsRead) {
  struct {
    int state;
    std::set<int> flagged;
    const char *closing, *code;
  } const cases[] = {
      {1, {79}, "0", "svc"}, {1, {73}, "0", "svc"},     {1, {}, "1", "svc"},
      {0, {79}, "1", "e75"}, {2, {75, 79}, "0", "e75"}, {0, {}, "1", "e75"},
  };
  for (const auto& t : cases) {
    Closing c;
    c.ctx.TimeServiceState = t.state;
    c.ctx.TimeServiceText = "svc";
    c.status = Flagged(t.flagged);
    c.errors.Set(75, "e75");
    c.Run();
    EXPECT_TRUE(c.closingStatus.Holds(75, t.closing) && c.closingErrors.Holds(75, t.code)) << t.state;
  }
}

TEST(ClosingConditions, OddSourceTextsAreReadAsTheirEntryDefines) {
  Closing c;
  c.status.Set(110, "2");  // any text but "0" flags the connectivity entry
  c.errors.Set(3, "from 3");
  c.errors.Set(111, "from 111");
  c.status.Set(19, std::nullopt);
  c.errors.Set(20, std::nullopt);
  c.closingStatus.Set(19, "untouched");
  c.status.Set(21, "2");
  c.errors.Set(21, "e21");
  c.status.Set(29, "2");  // the entry of slot 29 reads only "1" as flagged
  c.Run();
  EXPECT_TRUE(c.closingStatus.Holds(3, "0") && c.closingErrors.Holds(3, "from 111"));
  EXPECT_TRUE(c.closingStatus.Holds(19, "untouched"));
  EXPECT_TRUE(c.closingStatus.Holds(20, "0"));
  EXPECT_TRUE(c.closingStatus.Holds(21, "") && c.closingErrors.Holds(21, "e21"));
  EXPECT_TRUE(c.closingStatus.Holds(29, "1"));
  EXPECT_EQ(c.ctx.lines.size(), 13u);
}

}  // namespace
}  // namespace velkor
