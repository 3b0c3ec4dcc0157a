// The failure vocabulary: keywords, their detail phrases and the function IDs
// they lead to. The tables are byte-exact; these tests guard them against
// edits through counts, lengths, cross-references and a few tricky spellings.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "classify/function_ids.h"
#include "classify/keywords.h"
#include "classify/phrase_tables.h"
#include "classify/sub_keywords.h"
#include "support/fake_run_context.h"
#include "support/slot_sets.h"

namespace velkor {
namespace {

using testing::FakeRunContext;

PhraseList KeywordsOf(int toolKind) {
  FakeRunContext ctx;
  PhraseList list;
  GetKeyWords(ctx, toolKind, list);
  return list;
}

PhraseList DetailsOf(std::string_view keyword) {
  FakeRunContext ctx;
  PhraseList list;
  const int count = SubKeyWords(ctx, keyword, list);
  EXPECT_EQ(count, static_cast<int>(list.size()));
  return list;
}

struct ToolCase {
  int toolKind, functionIdAfter;  // 777: left as it was
  const char *first, *last;
  std::vector<int> keywordIds;  // 0: the keyword keeps the current function ID
};

TEST(KeyWords, EachToolKindGivesItsListAndTheFunctionIds) {
  // clang-format off
  const ToolCase cases[] = {
      {0, 1001, "Netlogon", "Sysvol", {0, 0}},
      {1, 777, "failed test Connectivity", "failed test kccevent",
       {1003, 0, 0, 1011, 1016, 1018, 1025, 1031, 1053, 1055, 1057, 1072, 1114}},
      {2, 777, "NetBT transports test. . . . . . . : Failed", "Default gateway test . . . . . . . : Failed",
       {1080, 1082, 1085, 1088, 1096, 1098, 1099, 1103, 1104, 1107, 1125, 1127}},
      {3, 1132, "Policy OK", "Policy OK", {0}},
      {4, 1108, "10 consecutive failure(s).", "10 consecutive failure(s).", {0}},
      {5, 1133, "Policy OK", "Policy OK", {0}},
      {6, 777, "stale", "stale", {}}, {-1, 777, "stale", "stale", {}}};
  // clang-format on
  for (const ToolCase& c : cases) {
    FakeRunContext ctx;
    ctx.CurrentFunctionID = 777;
    PhraseList list{"stale"};
    EXPECT_EQ(GetKeyWords(ctx, c.toolKind, list), static_cast<int>(c.keywordIds.size())) << c.toolKind;
    EXPECT_EQ(list.front() + "|" + list.back(), std::string(c.first) + "|" + c.last);
    EXPECT_EQ(ctx.CurrentFunctionID, c.functionIdAfter) << c.toolKind;
    if (c.keywordIds.empty()) continue;
    std::vector<int> ids;
    for (const std::string& keyword : list) {
      ctx.CurrentFunctionID = 0;
      SetKeyWordFunctionID(ctx, keyword);
      ids.push_back(ctx.CurrentFunctionID);
    }
    EXPECT_EQ(ids, c.keywordIds) << c.toolKind;
  }
}

TEST(KeyWords, NetdiagLinesKeepTheirDotLeaders) {
  for (const std::string& line : KeywordsOf(2)) {
    EXPECT_EQ(line.size(), line.starts_with("NetBT name test.") ? 35u : 43u) << line;
    EXPECT_TRUE(line.ends_with(" : Failed")) << line;
  }
}

TEST(KeyWords, FunctionIdCarriesAcrossToolsKeywordsAndLookAlikes) {
  FakeRunContext ctx;
  PhraseList shares, dcdiag;
  GetKeyWords(ctx, 0, shares);
  GetKeyWords(ctx, 1, dcdiag);
  EXPECT_EQ(ctx.CurrentFunctionID, 1001);  // dcdiag's list leaves the share check's ID
  SetKeyWordFunctionID(ctx, dcdiag[1]);    // "A recent replication attempt failed:" has none
  EXPECT_EQ(ctx.CurrentFunctionID, 1001);
  SetKeyWordFunctionID(ctx, "DC discovery test  . . . . . . . . : Failed");
  for (const char* lookAlike :
       {"failed test connectivity", "failed test kccevent ", "Netlogon",
        "DC discovery test . . . . . . . . . : Failed", "DNS test . . . . . . . . . . . . : Failed", ""}) {
    SetKeyWordFunctionID(ctx, lookAlike);
    EXPECT_EQ(ctx.CurrentFunctionID, 1098) << lookAlike;
    PhraseList details{"untouched"};
    EXPECT_EQ(SubKeyWords(ctx, lookAlike, details), 0) << lookAlike;
    EXPECT_EQ(details, PhraseList{"untouched"});
  }
}

// A key spelled unlike its keyword finds no details, and a detail phrase
// spelled unlike its function-ID row resolves to 0.
TEST(SubKeyWords, EveryKeywordFindsItsDetailsAndTheDetailsReachTheFunctionIdRows) {
  std::vector<std::size_t> counts;
  int resolved = 0;
  std::set<int> reached;
  for (const int kind : {1, 2}) {
    for (const std::string& keyword : KeywordsOf(kind)) {
      const PhraseList details = DetailsOf(keyword);
      counts.push_back(details.size());
      for (const std::string& detail : details) {
        const int id = GetSubKeyWordFunctionID(detail);
        resolved += id != 0 ? 1 : 0;
        reached.insert(id);
      }
    }
  }
  // 87 phrases under 21 keys, in keyword order.
  EXPECT_EQ(counts, (std::vector<std::size_t>{3, 1, 0, 4, 3, 7, 7, 21, 1, 1, 0, 7, 10,  // dcdiag
                                              1, 2, 2, 7, 1, 1, 3, 1,  3, 0, 0, 1}));   // netdiag
  EXPECT_EQ(resolved, 64);  // 1015 twice: the NetLogons and frssysvol lists share a phrase
  std::set<int> unreached;  // rows that hold concrete report lines, not the detail patterns
  for (const auto& row : tables::SubKeywordFunctionIds()) {
    if (!reached.contains(row.functionId)) unreached.insert(row.functionId);
  }
  EXPECT_EQ(unreached, (std::set<int>{1083, 1084, 1090, 1095, 1100, 1101, 1102, 1105, 1126}));
}

TEST(SubKeyWords, SpellingsThatDifferOnlyByBlanksAndDotsStayApart) {
  const PhraseList events = DetailsOf("failed test kccevent");
  EXPECT_EQ(events[5], "An Error Event occured.  EventID: 0xC000055D");
  EXPECT_EQ(events[6], "An Warning Event occurred. EventID: 0x80000785");
  EXPECT_EQ(events[7], "An Warning Event occurred EventID: 0x800004A4");
  EXPECT_EQ(events[8], "An Warning Event occurred.EventID: 0x800004D0");
  EXPECT_EQ(events[9], "An Warning Event occurred.  EventID: 0x800004C0");
  EXPECT_EQ(DetailsOf("DC discovery test  . . . . . . . . : Failed"),
            PhraseList{"Cannot find DC in domain * "});
  EXPECT_EQ(DetailsOf("DC list test . . . . . . . . . . . : Failed"),
            PhraseList(3, "Failed to enumerate DCs by using the browser."));
}

TEST(QuickRun, ListsBySelectorWithoutTouchingTheFunctionId) {
  FakeRunContext ctx;
  ctx.CurrentFunctionID = 42;
  PhraseList list{"untouched"};
  EXPECT_EQ(GetKeyWordsToSearch(ctx, 2, list) + SubKeyWordstoSearch(ctx, 0, list), 0);
  EXPECT_EQ(list, PhraseList{"untouched"});
  EXPECT_EQ(GetKeyWordsToSearch(ctx, 0, list), 2);
  EXPECT_EQ(list, (PhraseList{"NETLOGON", "SYSVOL"}));
  EXPECT_EQ(GetKeyWordsToSearch(ctx, 1, list), 1);
  EXPECT_EQ(list, PhraseList{"failed test Connectivity"});
  EXPECT_EQ(SubKeyWordstoSearch(ctx, 1, list), 3);
  EXPECT_EQ(list, (PhraseList{"could not confirm the identity of this server in", "", ""}));
  EXPECT_EQ(ctx.CurrentFunctionID, 42);
}

TEST(SubKeyWordFunctionId, SeventyTwoRowsInStrictlyAscendingOrder) {
  const auto rows = tables::SubKeywordFunctionIds();
  EXPECT_EQ(rows.size(), 72u);
  EXPECT_EQ(std::adjacent_find(rows.begin(), rows.end(),
                               [](const auto& a, const auto& b) { return a.functionId >= b.functionId; }),
            rows.end());
}

TEST(SubKeyWordFunctionId, ConcreteReportLinesAndLookAlikes) {
  const std::pair<const char*, int> cases[] = {
      {"All adapters are autoconfigured", 1083},
      {"All adapters are autoconfigured.", 0},
      {"File \\config\\netlogon.dns contains invalid DNS entries.", 1090},
      {"Failed to enumerate DCs by using the browser. [ERROR_BAD_NETPATH]", 1102},
      {"Failed to enumerate DCs by using the browser.", 0},
      {"Ths system volume has not been completely replicated to the local machine. This machine is not "
       "working properly as a DC.",
       1126},
  };
  for (const auto& [phrase, id] : cases) EXPECT_EQ(GetSubKeyWordFunctionID(phrase), id) << phrase;
}

TEST(SetToolErrorCodes, EachToolFillsExactlyItsSlots) {
  using testing::SlotRanges;
  // clang-format off
  const std::pair<int, std::set<int>> cases[] = {
      {0, {1}}, {1, SlotRanges({{3, 79}, {109, 124}})}, {2, SlotRanges({{80, 107}, {125, 131}, {134, 134}})},
      {3, {132}}, {4, {108}}, {5, {133}}, {6, {0}}, {-1, {0}}};
  // clang-format on
  for (const auto& [kind, expected] : cases) {
    ConditionSlots slots;
    SetToolErrorCodes(kind, "1722", slots);
    EXPECT_EQ(testing::SlotsHolding(slots, "1722"), expected) << kind;
  }
}

TEST(ConditionSlots, StartAtZeroAndIgnoreWritesOutsideTheArray) {
  ConditionSlots slots;
  EXPECT_FALSE(slots.Set(ConditionSlots::SlotOf(1250), "1"));
  EXPECT_FALSE(slots.Set(ConditionSlots::SlotOf(-1003), "1"));
  EXPECT_FALSE(slots.At(200).has_value());
  EXPECT_EQ(testing::SlotsHolding(slots, "0").size(), 200u);
}

}  // namespace
}  // namespace velkor
