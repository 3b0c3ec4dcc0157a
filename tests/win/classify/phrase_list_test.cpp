#include "platform/phrase_list.h"

#include <gtest/gtest.h>

#include "classify/keywords.h"
#include "classify/sub_keywords.h"
#include "support/fake_run_context.h"

namespace velkor::platform {
namespace {

using velkor::testing::FakeRunContext;
using Texts = std::vector<std::optional<std::string>>;

TEST(PhraseListBoundary, PhrasesBecomeAZeroBasedArrayOfBstrsAndEmptyPhrasesEmptyElements) {
  FakeRunContext ctx;
  PhraseList keywords, details;
  GetKeyWords(ctx, 2, keywords);
  SubKeyWordstoSearch(ctx, 1, details);
  Variant list(std::string_view("replaced"));
  ASSERT_EQ(StorePhraseList(keywords, list), 12);
  ASSERT_EQ(list.type(), VT_ARRAY | VT_VARIANT);
  LONG lower = -1, upper = -1;
  ASSERT_TRUE(VectorBounds(list.get()->parray, lower, upper));
  EXPECT_EQ(std::make_pair(lower, upper), std::make_pair(LONG{0}, LONG{11}));
  EXPECT_EQ(ReadPhraseList(list), Texts(keywords.begin(), keywords.end()));
  ASSERT_EQ(StorePhraseList(details, list), 3);
  EXPECT_EQ(ReadPhraseList(list), (Texts{"could not confirm the identity of this server in", {}, {}}));
}

TEST(PhraseListBoundary, ValuesThatAreNoVariantArrayReadAsNothing) {
  EXPECT_TRUE(ReadPhraseList(Variant()).empty());
  EXPECT_TRUE(ReadPhraseList(Variant(std::string_view("1"))).empty());
  Variant numbers;
  SAFEARRAYBOUND bound{2, 0};
  numbers.get()->parray = SafeArrayCreate(VT_I4, 1, &bound);
  numbers.get()->vt = VT_ARRAY | VT_VARIANT;  // claims VARIANT elements, holds numbers
  EXPECT_TRUE(ReadPhraseList(numbers).empty());
  numbers.get()->vt = VT_ARRAY | VT_I4;
}

}  // namespace
}  // namespace velkor::platform
