#include "classify/sub_keywords.h"

#include <gtest/gtest.h>

#include <vector>

#include "classify/function_ids.h"
#include "classify/keywords.h"
#include "support/fake_run_context.h"

namespace velkor {
namespace {

using testing::FakeRunContext;

PhraseList DetailsOf(std::string_view keyword) {
  FakeRunContext ctx;
  PhraseList list;
  const int count = SubKeyWords(ctx, keyword, list);
  EXPECT_EQ(count, static_cast<int>(list.size()));
  return list;
}

// Each key with the function ID that every detail phrase resolves to, in
// array order; 0 where the phrase has none of its own.
struct DetailCase {
  const char* keyword;
  std::vector<int> functionIds;
};

const DetailCase kDetailCases[] = {
    {"failed test Connectivity", {0, 0, 0}},
    {"A recent replication attempt failed:", {0}},
    {"failed test NetLogons", {1012, 1013, 1014, 1015}},
    {"failed test Advertising", {0, 0, 0}},
    {"failed test KnowsOfRoleHolders", {1019, 1020, 1021, 0, 1023, 1024, 1122}},
    {"failed test MachineAccount", {1026, 0, 0, 1029, 0, 1123, 1124}},
    {"failed test kccevent", {0, 1116, 0, 1119, 1120, 1121, 1137, 1138, 1139, 1140}},
    {"failed test Services", {1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039, 1040, 1041, 1042,
                              1043, 1044, 1045, 1046, 1047, 1048, 1049, 1050, 1051, 1052}},
    {"failed test frssysvol", {1015}},
    {"failed test frsevent", {1056}},
    {"failed test FsmoCheck", {0, 1074, 0, 1076, 1077, 1078, 1079}},
    {"NetBT transports test. . . . . . . : Failed", {1081}},
    {"Autonet address test . . . . . . . : Failed", {0, 0}},
    {"NetBT name test. . . . . . : Failed", {1086, 1087}},
    {"DNS test . . . . . . . . . . . . . : Failed", {1089, 0, 1092, 1093, 1091, 0, 1129}},
    {"Redir and Browser test . . . . . . : Failed", {1097}},
    {"DC list test . . . . . . . . . . . : Failed", {0, 0, 0}},
    {"LDAP test. . . . . . . . . . . . . : Failed", {0, 1106, 1134}},
    {"Default gateway test . . . . . . . : Failed", {1128}},
    {"DC discovery test  . . . . . . . . : Failed", {1130}},
    {"Kerberos test. . . . . . . . . . . : Failed", {1131}},
};

TEST(SubKeyWords, EveryDetailPhraseResolvesToItsFunctionId) {
  std::size_t total = 0;
  for (const DetailCase& c : kDetailCases) {
    const PhraseList details = DetailsOf(c.keyword);
    ASSERT_EQ(details.size(), c.functionIds.size()) << c.keyword;
    for (std::size_t i = 0; i < details.size(); ++i) {
      EXPECT_FALSE(details[i].empty());
      EXPECT_EQ(GetSubKeyWordFunctionID(details[i]), c.functionIds[i]) << c.keyword << " #" << i;
    }
    total += details.size();
  }
  EXPECT_EQ(total, 87u);
}

TEST(SubKeyWords, KeywordsWithoutDetailsAndNearMissesGiveNothing) {
  const char* keywords[] = {
      "10 failures have occurred since the last success.",
      "failed test systemlog",
      "Bindings test. . . . . . . . . . . : Failed",
      "Domain membership test . . . . . . : Failed",
      "Netlogon",
      "Sysvol",
      "Policy OK",
      "10 consecutive failure(s).",
      "failed test connectivity",
      "DNS test . . . . . . . . . . . . : Failed",
      "DC discovery test . . . . . . . . . : Failed",
      "",
  };
  for (const char* keyword : keywords) {
    FakeRunContext ctx;
    PhraseList list{"untouched"};
    EXPECT_EQ(SubKeyWords(ctx, keyword, list), 0) << keyword;
    EXPECT_EQ(list, PhraseList{"untouched"});
  }
}

TEST(SubKeyWords, SpellingsThatDifferOnlyByBlanksAndDotsStayApart) {
  const PhraseList events = DetailsOf("failed test kccevent");
  EXPECT_EQ(events[5], "An Error Event occured.  EventID: 0xC000055D");
  EXPECT_EQ(events[6], "An Warning Event occurred. EventID: 0x80000785");
  EXPECT_EQ(events[7], "An Warning Event occurred EventID: 0x800004A4");
  EXPECT_EQ(events[8], "An Warning Event occurred.EventID: 0x800004D0");
  EXPECT_EQ(events[9], "An Warning Event occurred.  EventID: 0x800004C0");
  const PhraseList account = DetailsOf("failed test MachineAccount");
  EXPECT_TRUE(account[5].starts_with("Warning:  Attribute userAccountControl of <*> is: 0x81000"));
  EXPECT_TRUE(account[6].ends_with("UF_SERVER_TRUST_ACCOUNT |UF_TRUSTED_FOR_DELEGATION )"));
  EXPECT_EQ(DetailsOf("DC discovery test  . . . . . . . . : Failed"),
            PhraseList{"Cannot find DC in domain * "});
  EXPECT_EQ(DetailsOf("DC list test . . . . . . . . . . . : Failed"),
            PhraseList(3, "Failed to enumerate DCs by using the browser."));
  EXPECT_EQ(DetailsOf("failed test frssysvol").front(), DetailsOf("failed test NetLogons").back());
}

TEST(SubKeyWords, QuickRunListHasOnePhraseAndTwoEmptyElements) {
  FakeRunContext ctx;
  PhraseList list{"untouched"};
  EXPECT_EQ(SubKeyWordstoSearch(ctx, 0, list), 0);
  EXPECT_EQ(SubKeyWordstoSearch(ctx, 2, list), 0);
  EXPECT_EQ(list, PhraseList{"untouched"});
  EXPECT_EQ(SubKeyWordstoSearch(ctx, 1, list), 3);
  EXPECT_EQ(list, (PhraseList{"could not confirm the identity of this server in", "", ""}));
}

}  // namespace
}  // namespace velkor
