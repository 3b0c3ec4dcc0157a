// The phrase lists the program hands the parser component as OLE arrays.
#include <gtest/gtest.h>

#include "platform/phrase_list.h"

namespace velkor::platform {
namespace {

// A zero-based array of VARIANTs, replacing what the value held; an empty
// phrase is an empty element.
TEST(PhraseList, PhrasesBecomeAZeroBasedArrayOfBstrsAndEmptyPhrasesEmptyElements) {
  Variant list(std::string_view("replaced"));
  ASSERT_EQ(StorePhraseList({"could not confirm", "", ""}, list), 3);
  ASSERT_EQ(list.type(), VT_ARRAY | VT_VARIANT);
  LONG lower = -1, upper = -1;
  ASSERT_TRUE(VectorBounds(list.get()->parray, lower, upper));
  EXPECT_EQ(std::make_pair(lower, upper), std::make_pair(LONG{0}, LONG{2}));
  Variant element;
  ASSERT_EQ(GetVariantElement(list.get()->parray, 0, element), S_OK);
  EXPECT_EQ(element.type(), VT_BSTR);
  EXPECT_EQ(ReadPhraseList(list), (std::vector<std::optional<std::string>>{"could not confirm", {}, {}}));
}

}  // namespace
}  // namespace velkor::platform
