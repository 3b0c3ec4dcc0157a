#include "classify/keywords.h"

#include <gtest/gtest.h>

#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::FakeRunContext;

struct ToolCase {
  int toolKind;
  int count;
  int functionIdAfter;  // 777: left as it was
  const char* first;
  const char* last;
};

TEST(KeyWords, EachToolKindGivesItsListAndFixedFunctionId) {
  const ToolCase cases[] = {
      {0, 2, 1001, "Netlogon", "Sysvol"},
      {1, 13, 777, "failed test Connectivity", "failed test kccevent"},
      {2, 12, 777, "NetBT transports test. . . . . . . : Failed",
       "Default gateway test . . . . . . . : Failed"},
      {3, 1, 1132, "Policy OK", "Policy OK"},
      {4, 1, 1108, "10 consecutive failure(s).", "10 consecutive failure(s)."},
      {5, 1, 1133, "Policy OK", "Policy OK"},
  };
  for (const ToolCase& c : cases) {
    FakeRunContext ctx;
    ctx.CurrentFunctionID = 777;
    PhraseList list{"stale"};
    EXPECT_EQ(GetKeyWords(ctx, c.toolKind, list), c.count) << c.toolKind;
    ASSERT_EQ(list.size(), static_cast<std::size_t>(c.count));
    EXPECT_EQ(list.front(), c.first);
    EXPECT_EQ(list.back(), c.last);
    EXPECT_EQ(ctx.CurrentFunctionID, c.functionIdAfter) << c.toolKind;
    for (const std::string& phrase : list) EXPECT_FALSE(phrase.empty());
  }
}

TEST(KeyWords, UnknownToolKindWritesNothing) {
  for (const int kind : {6, -1, 1000}) {
    FakeRunContext ctx;
    ctx.CurrentFunctionID = 1055;
    PhraseList list{"untouched"};
    EXPECT_EQ(GetKeyWords(ctx, kind, list), 0);
    EXPECT_EQ(list, PhraseList{"untouched"});
    EXPECT_EQ(ctx.CurrentFunctionID, 1055);
  }
}

TEST(KeyWords, NetdiagLinesKeepTheirDotLeaders) {
  FakeRunContext ctx;
  PhraseList list;
  GetKeyWords(ctx, 2, list);
  for (const std::string& line : list) {
    EXPECT_EQ(line.size(), line.starts_with("NetBT name test.") ? 35u : 43u) << line;
    EXPECT_TRUE(line.ends_with(" : Failed")) << line;
  }
  EXPECT_EQ(list[5], "DC discovery test  . . . . . . . . : Failed");
}

TEST(KeyWords, ExactlyTheListedKeywordsCarryAFunctionId) {
  FakeRunContext ctx;
  std::vector<int> carried;
  for (int kind = 0; kind <= 5; ++kind) {
    PhraseList list;
    GetKeyWords(ctx, kind, list);
    for (const std::string& keyword : list) {
      ctx.CurrentFunctionID = -5;
      SetKeyWordFunctionID(ctx, keyword);
      carried.push_back(ctx.CurrentFunctionID);
    }
  }
  const std::vector<int> expected = {
      -5,   -5,                                                                      // net share
      1003, -5,   -5,   1011, 1016, 1018, 1025, 1031, 1053, 1055, 1057, 1072, 1114,  // dcdiag
      1080, 1082, 1085, 1088, 1096, 1098, 1099, 1103, 1104, 1107, 1125, 1127,        // netdiag
      -5,   -5,   -5};                                                               // gpotool, repadmin
  EXPECT_EQ(carried, expected);
}

TEST(KeyWords, NearMissesAndUnlistedKeywordsKeepTheCurrentFunctionId) {
  const char* phrases[] = {
      "failed test connectivity",
      "DC discovery test . . . . . . . . . : Failed",
      "failed test kccevent ",
      "Bindings test. . . . . . . . . . . : failed",
      "A recent replication attempt failed:",
      "10 failures have occurred since the last success.",
      "Netlogon",
      "Policy OK",
      "10 consecutive failure(s).",
      "",
  };
  for (const char* phrase : phrases) {
    FakeRunContext ctx;
    ctx.CurrentFunctionID = 1088;
    SetKeyWordFunctionID(ctx, phrase);
    EXPECT_EQ(ctx.CurrentFunctionID, 1088) << phrase;
  }
}

TEST(KeyWords, FunctionIdCarriesAcrossToolsAndKeywords) {
  FakeRunContext ctx;
  PhraseList shares, dcdiag;
  GetKeyWords(ctx, 0, shares);
  GetKeyWords(ctx, 1, dcdiag);
  EXPECT_EQ(ctx.CurrentFunctionID, 1001);  // dcdiag's list leaves it alone
  SetKeyWordFunctionID(ctx, dcdiag[1]);    // "A recent replication attempt failed:"
  EXPECT_EQ(ctx.CurrentFunctionID, 1001);
  SetKeyWordFunctionID(ctx, dcdiag[0]);
  SetKeyWordFunctionID(ctx, dcdiag[2]);
  EXPECT_EQ(ctx.CurrentFunctionID, 1003);
  SetKeyWordFunctionID(ctx, "DC discovery test  . . . . . . . . : Failed");
  EXPECT_EQ(ctx.CurrentFunctionID, 1098);
}

TEST(KeyWords, QuickRunListsAreUpperCaseSharesAndConnectivity) {
  FakeRunContext ctx;
  ctx.CurrentFunctionID = 42;
  PhraseList list{"untouched"};
  EXPECT_EQ(GetKeyWordsToSearch(ctx, 2, list), 0);
  EXPECT_EQ(GetKeyWordsToSearch(ctx, -1, list), 0);
  EXPECT_EQ(list, PhraseList{"untouched"});
  EXPECT_EQ(GetKeyWordsToSearch(ctx, 0, list), 2);
  EXPECT_EQ(list, (PhraseList{"NETLOGON", "SYSVOL"}));
  EXPECT_EQ(GetKeyWordsToSearch(ctx, 1, list), 1);
  EXPECT_EQ(list, PhraseList{"failed test Connectivity"});
  EXPECT_EQ(ctx.CurrentFunctionID, 42);
}

}  // namespace
}  // namespace velkor
