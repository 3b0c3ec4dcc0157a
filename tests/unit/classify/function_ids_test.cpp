#include "classify/function_ids.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "classify/phrase_tables.h"
#include "support/slot_sets.h"

namespace velkor {
namespace {

TEST(SubKeyWordFunctionId, TableHasItsRowsInAscendingOrder) {
  const auto rows = tables::SubKeywordFunctionIds();
  ASSERT_EQ(rows.size(), 72u);
  std::set<std::string_view> phrases;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_TRUE(i == 0 || rows[i - 1].functionId < rows[i].functionId) << rows[i].functionId;
    EXPECT_TRUE(phrases.insert(rows[i].phrase).second) << rows[i].phrase;
  }
}

TEST(SubKeyWordFunctionId, ConcreteReportLinesAndLookAlikes) {
  const std::pair<const char*, int> cases[] = {
      {"All adapters are autoconfigured", 1083},
      {"All adapters are autoconfigured.", 0},
      {"The DHCP servers are unreachable", 1084},
      {"File \\config\\netlogon.dns contains invalid DNS entries.", 1090},
      {"Could not open file *netlogon.dns for reading.", 1095},
      {"Failed to enumerate DCs by using the browser. [ERROR_BAD_NETPATH]", 1102},
      {"Failed to enumerate DCs by using the browser.", 0},
      {"The default SPN registration for 'HOST/SERVER' is missing on DC 'SERVER'.", 1105},
      {"Ths system volume has not been completely replicated to the local machine. This machine is not "
       "working "
       "properly as a DC.",
       1126},
      {"This system volume has not been completely replicated to the local machine. This machine is not "
       "working properly as a DC.",
       0},
      {"Cannot find DC in domain *", 0},
      {"The host * could not be resolved to an", 0},
      {"unable to connect to the NETLOGON share!", 0},
      {"", 0},
  };
  for (const auto& [phrase, id] : cases) EXPECT_EQ(GetSubKeyWordFunctionID(phrase), id) << phrase;
}

using testing::SlotRange;
using testing::SlotsHolding;
using testing::SlotUnion;

TEST(SetToolErrorCodes, EachToolFillsExactlyItsSlots) {
  const std::pair<int, std::set<int>> cases[] = {
      {0, {1}},
      {1, SlotUnion({SlotRange(3, 79), SlotRange(109, 124)})},
      {2, SlotUnion({SlotRange(80, 107), SlotRange(125, 131), {134}})},
      {3, {132}},
      {4, {108}},
      {5, {133}},
      {6, {0}},
      {-1, {0}},
  };
  for (const auto& [kind, expected] : cases) {
    ConditionSlots slots;
    SetToolErrorCodes(kind, "1722", slots);
    EXPECT_EQ(SlotsHolding(slots, "1722"), expected) << kind;
    EXPECT_EQ(SlotsHolding(slots, "0").size(), 200u - expected.size());
  }
  ConditionSlots slots;
  SetToolErrorCodes(1, "x", slots);
  EXPECT_EQ(SlotsHolding(slots, "x").size(), 93u);
  SetToolErrorCodes(2, "y", slots);
  EXPECT_EQ(SlotsHolding(slots, "y").size(), 36u);
  EXPECT_EQ(SlotsHolding(slots, "x").size(), 93u);
}

TEST(ConditionSlots, StartAtZeroAndIgnoreWritesOutsideTheArray) {
  ConditionSlots slots;
  EXPECT_EQ(SlotsHolding(slots, "0").size(), 200u);
  EXPECT_EQ(ConditionSlots::SlotOf(1088), 88);
  EXPECT_EQ(ConditionSlots::SlotOf(3001), 1);
  EXPECT_FALSE(slots.Set(ConditionSlots::SlotOf(1250), "1"));
  EXPECT_FALSE(slots.Set(-3, "1"));
  EXPECT_FALSE(slots.At(200).has_value());
  EXPECT_TRUE(slots.Set(7, std::nullopt));
  EXPECT_FALSE(slots.At(7).has_value());
  EXPECT_FALSE(slots.Holds(7, ""));
  for (const char* text : {" 1", "01", "1 ", ""}) {
    slots.Set(8, text);
    EXPECT_FALSE(slots.IsFlagged(8)) << text;
  }
  slots.Set(8, "1");
  EXPECT_TRUE(slots.IsFlagged(8));
}

}  // namespace
}  // namespace velkor
