#include "platform/phrase_list.h"

#include <gtest/gtest.h>

#include "classify/keywords.h"
#include "classify/sub_keywords.h"
#include "support/fake_run_context.h"

namespace velkor::platform {
namespace {

using velkor::testing::FakeRunContext;

TEST(PhraseListBoundary, KeywordsBecomeAZeroBasedArrayOfBstrs) {
  FakeRunContext ctx;
  PhraseList keywords;
  GetKeyWords(ctx, 2, keywords);
  Variant list;
  ASSERT_EQ(StorePhraseList(keywords, list), 12);
  ASSERT_EQ(list.type(), VT_ARRAY | VT_VARIANT);
  LONG lower = -1, upper = -1;
  ASSERT_TRUE(VectorBounds(list.get()->parray, lower, upper));
  EXPECT_EQ(lower, 0);
  EXPECT_EQ(upper, 11);
  Variant element;
  ASSERT_EQ(GetVariantElement(list.get()->parray, 5, element), S_OK);
  EXPECT_EQ(element.type(), VT_BSTR);
  EXPECT_EQ(element.ToAnsi(), "DC discovery test  . . . . . . . . : Failed");
  const auto texts = ReadPhraseList(list);
  ASSERT_EQ(texts.size(), 12u);
  for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(texts[i], keywords[i]);
}

TEST(PhraseListBoundary, EmptyPhrasesStayEmptyElements) {
  FakeRunContext ctx;
  PhraseList details;
  ASSERT_EQ(SubKeyWordstoSearch(ctx, 1, details), 3);
  Variant list(std::string_view("replaced"));
  ASSERT_EQ(StorePhraseList(details, list), 3);
  Variant element;
  ASSERT_EQ(GetVariantElement(list.get()->parray, 2, element), S_OK);
  EXPECT_TRUE(element.IsEmpty());
  const auto texts = ReadPhraseList(list);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "could not confirm the identity of this server in");
  EXPECT_FALSE(texts[1].has_value());
  EXPECT_FALSE(texts[2].has_value());
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
