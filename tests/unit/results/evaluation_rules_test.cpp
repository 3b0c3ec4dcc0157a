#include "results/evaluation_rules.h"

#include <gtest/gtest.h>

#include "results/test_records.h"
#include "support/fake_run_context.h"
#include "support/slot_sets.h"

namespace velkor {
namespace {

using testing::FakeRunContext;
using testing::Flagged;
using testing::LoggedLine;
using testing::SlotRanges;
using testing::SlotsHolding;

// Each rule fires on its parent alone (the other parents clear) and clears
// exactly its dependents.
TEST(Dependency, EachRuleFiresOnItsParentAndClearsExactlyItsDependents) {
  // clang-format off
  const std::set<int> w = SlotRanges({{11, 30}, {72, 73}, {75, 75}, {79, 82}, {84, 86}, {88, 92}, {95, 98},
                                      {103, 106}, {108, 108}, {112, 117}, {119, 134}});
  const std::pair<int, std::set<int>> cases[] = {
      {1, w}, {3, w}, {22, {20, 23, 24}}, {29, {28, 30, 114}}, {88, {91, 92, 97, 110}}, {75, {17, 73}},
      {104, {91, 92, 106, 110}}, {110, {88, 91, 92}}, {132, {133}}, {133, {132}}, {109, w}, {91, {97}},
      {111, w}, {97, {91}}};
  // clang-format on
  for (const auto& [parent, cleared] : cases) {
    ConditionSlots slots = Flagged(SlotRanges({{0, 199}}));
    std::set<int> zero;
    for (const auto& [other, unused] : cases)
      if (other != parent) zero.insert(other);
    for (const int slot : zero) slots.Set(slot, "0");
    FakeRunContext ctx;
    CheckDependecy(ctx, slots);
    zero.insert(cleared.begin(), cleared.end());
    EXPECT_EQ(SlotsHolding(slots, "0"), zero) << "parent " << parent;
  }
}

// After the rules, each closing entry without a failure left in its slot closes with "1".
TEST(Rules, ClearedParentsNoLongerFireTwoOrMoreMembersMergeAndWhatIsLeftCloses) {
  const std::pair<std::set<int>, std::set<int>> cases[] = {
      // clang-format off
      {{132, 133}, {132}}, {{91, 97}, {91}},  // of two parents clearing each other the earlier rule wins
      {{88, 110}, {88}},                      // rule 4 clears 110 before rule 7 is reached
      {{3, 88, 89}, {3}},                     // cleared by the connectivity rule before merging
      {{88, 95, 91, 97}, {135}},              // 95 survives the DNS test's rule and still counts
      {{89, 90, 91, 92, 129}, {135}}, {{115}, {115}}, {{115, 140}, {136}},
      {SlotRanges({{115, 117}, {119, 121}, {137, 140}}), {136}},
      {{}, {}},                               // every closing entry "1"
      // clang-format on
  };
  for (const auto& [before, after] : cases) {
    FakeRunContext ctx;
    ConditionSlots status = Flagged(before), errors, closingStatus, closingErrors;
    errors.Set(132, "53");
    CheckDependecy(ctx, status);
    CheckKCCTest(ctx, status);
    CheckMultipleDNSTest(ctx, status);
    EXPECT_EQ(SlotsHolding(status, "1"), after);
    CheckClosingConditons(ctx, TimeService{}, status, errors, closingStatus, closingErrors);
    std::vector<LoggedLine> expected;
    for (const int slot : {1, 3, 75, 29, 19, 20, 21, 22, 23, 24, 122, 17, 112, 113, 132, 133}) {
      expected.push_back({"Info", "Status and Errorcode", std::to_string(3000 + slot),
                          after.contains(slot) ? "0" : "1", slot == 132 ? "53" : "0"});
    }
    EXPECT_EQ(ctx.lines, expected);
  }
}

// Source texts other than "1" and "0", missing texts (the entry is skipped),
// the time service and the connectivity entry's error code from slot 111.
TEST(ClosingConditions, EachEntryReadsItsOwnSource) {
  using Pair = std::pair<ConditionSlots::Value, ConditionSlots::Value>;
  struct {
    int timeServiceState, slot;
    ConditionSlots::Value text;   // in the status slot
    int missingErrorSlot, entry;  // the error slot without text (0: none of the entries')
    Pair closing;                 // the entry's closing status and error code
  } const cases[] = {
      // clang-format off
      {1, 79, "1", 0, 75, {"0", "svc"}}, {1, 73, "1", 0, 75, {"0", "svc"}}, {1, 75, "0", 0, 75, {"1", "svc"}},
      {0, 79, "1", 0, 75, {"1", "e75"}}, {2, 75, "1", 0, 75, {"0", "e75"}},
      {0, 110, "2", 0, 3, {"0", "e111"}},  // any text but "0" flags the connectivity entry
      {0, 109, std::nullopt, 0, 3, {"1", "e111"}},
      {0, 29, "2", 0, 29, {"1", "e29"}},   // the entry of slot 29 reads only "1" as flagged
      {0, 21, "2", 0, 21, {"", "e21"}}, {0, 1, "2", 0, 1, {"", "0"}},
      {0, 19, std::nullopt, 0, 19, {"0", "0"}}, {0, 20, "0", 20, 20, {"0", "0"}},
      // clang-format on
  };
  for (const auto& t : cases) {
    FakeRunContext ctx;
    ConditionSlots status, errors, closingStatus, closingErrors;
    for (const int slot : {3, 19, 20, 21, 29, 75, 111}) errors.Set(slot, "e" + std::to_string(slot));
    status.Set(t.slot, t.text);
    errors.Set(t.missingErrorSlot, std::nullopt);
    CheckClosingConditons(ctx, {t.timeServiceState, "svc"}, status, errors, closingStatus, closingErrors);
    EXPECT_EQ(Pair(closingStatus.At(t.entry), closingErrors.At(t.entry)), t.closing) << t.entry;
  }
}

// What the end-to-end runs cannot show: a running time service, texts other
// than "0" and "1", slots without text, counts that are no number.
TEST(TestRecords, FunctionIdSelectsItsSlotAndArrays) {
  DatabaseConditions c;
  c.StatusSlots.Set(17, "1");
  c.ErrorCodeSlots.Set(17, "5");
  c.StatusSlots.Set(0, "zero");
  c.ClosingStatusSlots.Set(17, "closed");
  c.ClosingStatusSlots.Set(1, std::nullopt);
  const auto text = [&](int id, int timeServiceState) {
    const auto r = ResultForRecord(id, c, {timeServiceState, "1060"});
    return r ? r->status + "/" + r->errorCode + " " + std::string(r->label) : "none";
  };
  EXPECT_EQ(text(1017, 1), "1/5 Status and Errorcode");
  EXPECT_EQ(text(2017, 0), "0/1060 Status and Errorcode");
  EXPECT_EQ(text(1017, 2), "0/1060 Status and Errorcode");  // stopped, or any state but running
  EXPECT_EQ(text(3017, 0), "closed/0 Closing Status and Errorcode");
  EXPECT_EQ(text(3000, 1), "zero/0 Status and Errorcode");
  EXPECT_EQ(text(3001, 1), "none");
  EXPECT_EQ(PagesToRequest("-20"), 0);
  EXPECT_EQ(PagesToRequest("many"), 0);
  EXPECT_EQ(PagesToRequest("20"), 2);
}

}  // namespace
}  // namespace velkor
