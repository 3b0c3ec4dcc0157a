#include "results/evaluation_rules.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/fake_run_context.h"
#include "support/slot_sets.h"

namespace velkor {
namespace {

using testing::FakeRunContext;
using testing::Flagged;
using testing::LoggedLine;
using testing::SlotRange;
using testing::SlotsHolding;
using testing::SlotUnion;

// clang-format off
const std::set<int> kSetW = SlotUnion({SlotRange(11, 30), {72, 73, 75}, SlotRange(79, 82), SlotRange(84, 86),
                                       SlotRange(88, 92), SlotRange(95, 98), SlotRange(103, 106), {108},
                                       SlotRange(112, 117), SlotRange(119, 134)});
// clang-format on

TEST(Dependency, EachRuleClearsExactlyItsDependents) {
  ASSERT_EQ(kSetW.size(), 66u);
  // clang-format off
  const std::pair<int, std::set<int>> cases[] = {
      {0, kSetW}, {1, kSetW}, {2, {20, 23, 24}}, {3, {28, 30, 114}}, {4, {91, 92, 97, 110}}, {5, {17, 73}},
      {6, {91, 92, 106, 110}}, {7, {88, 91, 92}}, {8, {133}}, {9, {132}}, {10, kSetW}, {11, {97}},
      {12, kSetW}, {13, {91}}, {14, {}}, {-1, {}}};
  // clang-format on
  for (const auto& [rule, cleared] : cases) {
    FakeRunContext ctx;
    ConditionSlots slots = Flagged(SlotRange(0, 199));
    UpdateStatusWithDependecy(ctx, rule, slots);
    EXPECT_EQ(SlotsHolding(slots, "0"), cleared) << "rule " << rule;
  }
}

struct Case {
  std::set<int> before;
  std::set<int> after;
};

TEST(Dependency, RulesRunInOrderAndClearedParentsNoLongerFire) {
  const Case cases[] = {
      {{1, 20, 88, 134, 110, 3, 109, 111}, {1, 3, 109, 110, 111}},
      {{132, 133}, {132}},
      {{91, 97}, {91}},
      {{88, 110}, {88}},
      {{88, 95, 91, 97, 92}, {88, 95}},
      {{22, 20, 21, 23, 24}, {21, 22}},
      {{89, 129}, {89, 129}},
  };
  for (const Case& c : cases) {
    FakeRunContext ctx;
    ConditionSlots slots = Flagged(c.before);
    CheckDependecy(ctx, slots);
    EXPECT_EQ(SlotsHolding(slots, "1"), c.after);
    EXPECT_TRUE(ctx.lines.empty());
  }
}

TEST(Dependency, ParentWithoutTextDoesNotFire) {
  FakeRunContext ctx;
  ConditionSlots slots = Flagged({20, 23});
  slots.Set(1, std::nullopt);
  slots.Set(22, "2");
  CheckDependecy(ctx, slots);
  EXPECT_EQ(SlotsHolding(slots, "1"), (std::set<int>{20, 23}));
}

void RunRules(ConditionSlots& slots) {
  FakeRunContext ctx;
  CheckDependecy(ctx, slots);
  CheckKCCTest(ctx, slots);
  CheckMultipleDNSTest(ctx, slots);
}

TEST(CombinedConditions, TwoOrMoreMembersMergeIntoOne) {
  const Case cases[] = {
      {{115}, {115}},
      {{115, 140}, {136}},
      {{116, 137, 138, 20}, {20, 136}},
      {{89, 129}, {135}},
      {{88}, {88}},
      {{88, 95}, {135}},   // 95 survives the DNS test's rule and still counts
      {{3, 88, 89}, {3}},  // cleared by the connectivity rule before merging
      {{89, 129, 119, 121}, {135, 136}},
  };
  for (const Case& c : cases) {
    ConditionSlots slots = Flagged(c.before);
    RunRules(slots);
    EXPECT_EQ(SlotsHolding(slots, "1"), c.after);
  }
}

TEST(CombinedConditions, OnlyExactOnesCount) {
  ConditionSlots slots = Flagged({115});
  slots.Set(116, "2");
  slots.Set(117, std::nullopt);
  RunRules(slots);
  EXPECT_EQ(SlotsHolding(slots, "1"), std::set<int>{115});
  EXPECT_TRUE(slots.Holds(116, "2"));
}

const int kClosingSlots[] = {1, 3, 75, 29, 19, 20, 21, 22, 23, 24, 122, 17, 112, 113, 132, 133};

struct Closing {
  ConditionSlots status, errors, closingStatus, closingErrors;
  FakeRunContext ctx;
  void Run() { CheckClosingConditons(ctx, status, errors, closingStatus, closingErrors); }
};

TEST(ClosingConditions, AllClearGivesEveryClosingStatusOne) {
  Closing c;
  c.Run();
  EXPECT_EQ(SlotsHolding(c.closingStatus, "1"),
            std::set<int>(std::begin(kClosingSlots), std::end(kClosingSlots)));
  EXPECT_EQ(SlotsHolding(c.closingErrors, "0").size(), 200u);
  ASSERT_EQ(c.ctx.lines.size(), 16u);
  for (std::size_t i = 0; i < 16; ++i) {
    EXPECT_EQ(c.ctx.lines[i], (LoggedLine{"Info", "Status and Errorcode",
                                          std::to_string(3000 + kClosingSlots[i]), "1", "0"}));
  }
}

TEST(ClosingConditions, FlaggedFailuresCloseWithZeroAfterTheRules) {
  for (const auto& [flagged, closedWithZero] : std::vector<std::pair<std::set<int>, std::set<int>>>{
           {{1, 132}, {1}},                             // the share check's rule clears 132
           {{132, 133, 29, 75, 17}, {29, 75, 132}}}) {  // 133 and 17 fall to the rules of 132 and 75
    Closing c;
    c.status = Flagged(flagged);
    c.errors.Set(132, "53");
    RunRules(c.status);
    c.Run();
    std::set<int> closedWithOne(std::begin(kClosingSlots), std::end(kClosingSlots));
    for (const int slot : closedWithZero) {
      EXPECT_TRUE(c.closingStatus.Holds(slot, "0")) << slot;
      closedWithOne.erase(slot);
    }
    EXPECT_EQ(SlotsHolding(c.closingStatus, "1"), closedWithOne);
    EXPECT_EQ(c.ctx.lines[14].extra, "53");
  }
}

TEST(ClosingConditions, ConnectivityEntryCountsAnyTextButZeroAndTakesSlot111sCode) {
  Closing c;
  c.status.Set(110, "2");
  c.errors.Set(3, "from 3");
  c.errors.Set(111, "from 111");
  c.Run();
  EXPECT_TRUE(c.closingStatus.Holds(3, "0"));
  EXPECT_TRUE(c.closingErrors.Holds(3, "from 111"));
}

TEST(ClosingConditions, TimeServiceDecidesHowEntry75IsRead) {
  struct TimeCase {
    int state;
    std::set<int> flagged;
    const char* closing;
    const char* code;
  };
  const TimeCase cases[] = {
      {1, {79}, "0", "svc"}, {1, {73}, "0", "svc"},     {1, {}, "1", "svc"},
      {0, {79}, "1", "e75"}, {2, {75, 79}, "0", "e75"}, {0, {}, "1", "e75"},
  };
  for (const TimeCase& t : cases) {
    Closing c;
    c.ctx.TimeServiceState = t.state;
    c.ctx.TimeServiceText = "svc";
    c.status = Flagged(t.flagged);
    c.errors.Set(75, "e75");
    c.Run();
    EXPECT_TRUE(c.closingStatus.Holds(75, t.closing)) << t.state;
    EXPECT_TRUE(c.closingErrors.Holds(75, t.code)) << t.state;
  }
}

TEST(ClosingConditions, MissingTextSkipsAnEntryAndOddStatusesCloseEmpty) {
  Closing c;
  c.status.Set(19, std::nullopt);
  c.errors.Set(20, std::nullopt);
  c.status.Set(21, "2");
  c.errors.Set(21, "e21");
  c.status.Set(29, "2");  // the entry of slot 29 reads only "1" as flagged
  c.closingStatus.Set(19, "untouched");
  c.Run();
  EXPECT_TRUE(c.closingStatus.Holds(19, "untouched"));
  EXPECT_TRUE(c.closingStatus.Holds(20, "0"));
  EXPECT_TRUE(c.closingStatus.Holds(21, ""));
  EXPECT_TRUE(c.closingErrors.Holds(21, "e21"));
  EXPECT_TRUE(c.closingStatus.Holds(29, "1"));
  EXPECT_EQ(c.ctx.lines.size(), 13u);
}

}  // namespace
}  // namespace velkor
