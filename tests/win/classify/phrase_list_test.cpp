#include "platform/phrase_list.h"

#include <gtest/gtest.h>

#include "classify/sub_keywords.h"
#include "support/fake_run_context.h"

namespace velkor::platform {
namespace {

TEST(PhraseListBoundary, PhrasesBecomeAZeroBasedArrayOfBstrsAndEmptyPhrasesEmptyElements) {
  velkor::testing::FakeRunContext ctx;
  PhraseList details;
  SubKeyWordstoSearch(ctx, 1, details);
  Variant list(std::string_view("replaced"));
  ASSERT_EQ(StorePhraseList(details, list), 3);
  ASSERT_EQ(list.type(), VT_ARRAY | VT_VARIANT);
  LONG lower = -1, upper = -1;
  ASSERT_TRUE(VectorBounds(list.get()->parray, lower, upper));
  EXPECT_EQ(std::make_pair(lower, upper), std::make_pair(LONG{0}, LONG{2}));
  EXPECT_EQ(ReadPhraseList(list), (std::vector<std::optional<std::string>>{
                                      "could not confirm the identity of this server in", {}, {}}));
}

}  // namespace
}  // namespace velkor::platform
