// The failure vocabulary is byte-exact: the function IDs the keywords carry,
// the detail phrases reaching their function-ID rows, and look-alike spellings.
#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "classify/function_ids.h"
#include "classify/keywords.h"
#include "classify/phrase_tables.h"
#include "classify/sub_keywords.h"
#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::FakeRunContext;

// The tools run one after another on one context: a keyword or tool without a
// function ID of its own keeps the one before; look-alikes and the quick run leave it.
TEST(KeyWords, ListsAndTheFunctionIdCarriedAcrossKeywordsAndTools) {
  // A tool kind, the function ID once its list is read, the ID after each of its keywords in turn.
  const std::tuple<int, int, std::vector<int>> cases[] = {
      // clang-format off
      {6, 777, {}}, {-1, 777, {}}, {0, 1001, {1001, 1001}},
      {1, 1001, {1003, 1003, 1003, 1011, 1016, 1018, 1025, 1031, 1053, 1055, 1057, 1072, 1114}},
      {2, 1114, {1080, 1082, 1085, 1088, 1096, 1098, 1099, 1103, 1104, 1107, 1125, 1127}},
      {3, 1132, {1132}}, {4, 1108, {1108}}, {5, 1133, {1133}},
      // clang-format on
  };
  FakeRunContext ctx;
  ctx.CurrentFunctionID = 777;
  for (const auto& [toolKind, functionIdAfterList, functionIds] : cases) {
    SCOPED_TRACE(toolKind);
    PhraseList list{"stale"};  // left as it is by an unknown tool kind
    EXPECT_EQ(GetKeyWords(ctx, toolKind, list), static_cast<int>(functionIds.size()));
    EXPECT_EQ(ctx.CurrentFunctionID, functionIdAfterList);
    std::vector<int> ids;
    for (const std::string& keyword : list) {
      SetKeyWordFunctionID(ctx, keyword);
      ids.push_back(ctx.CurrentFunctionID);
    }
    EXPECT_EQ(ids, functionIds.empty() ? std::vector<int>{functionIdAfterList} : functionIds);
  }
  PhraseList untouched{"untouched"};
  for (const char* lookAlike : {"failed test connectivity", "failed test kccevent ",
                                "DC discovery test . . . . . . . . . : Failed", ""}) {
    SetKeyWordFunctionID(ctx, lookAlike);
    EXPECT_EQ(SubKeyWords(ctx, lookAlike, untouched), 0) << lookAlike;
  }
  GetKeyWordsToSearch(ctx, 0, untouched);  // the quick run's list
  EXPECT_EQ(untouched, (PhraseList{"NETLOGON", "SYSVOL"}));
  EXPECT_EQ(ctx.CurrentFunctionID, 1133);
}

// A key or detail spelled unlike its keyword or function-ID row reaches nothing:
// only the rows that hold concrete report lines are left.
TEST(SubKeyWords, EveryFunctionIdRowButTheConcreteReportLinesIsReachedThroughTheKeywords) {
  FakeRunContext ctx;
  std::set<int> unreached;
  for (const auto& row : tables::SubKeywordFunctionIds()) unreached.insert(row.functionId);
  for (const int kind : {1, 2}) {
    PhraseList keywords, details;
    GetKeyWords(ctx, kind, keywords);
    for (const std::string& keyword : keywords) {
      details.clear();
      SubKeyWords(ctx, keyword, details);
      for (const std::string& detail : details) unreached.erase(GetSubKeyWordFunctionID(detail));
    }
  }
  EXPECT_EQ(unreached, (std::set<int>{1083, 1084, 1090, 1095, 1100, 1101, 1102, 1105, 1126}));
}

// Compared whole and exactly, "*" literally.
TEST(SubKeyWordFunctionId, SpellingsThatDifferByABlankOrADotStayApart) {
  // clang-format off
  const std::pair<const char*, int> cases[] = {
      {"Cannot find DC in domain * ", 1130}, {"Cannot find DC in domain *", 0},
      {"All adapters are autoconfigured", 1083}, {"All adapters are autoconfigured.", 0},
      {"An Warning Event occurred EventID: 0x800004A4", 1138},
      {"An Warning Event occurred.EventID: 0x800004D0", 1139}};
  // clang-format on
  for (const auto& [phrase, id] : cases) EXPECT_EQ(GetSubKeyWordFunctionID(phrase), id) << phrase;
}

}  // namespace
}  // namespace velkor
