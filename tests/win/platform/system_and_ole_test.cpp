// What the program asks of the system about itself, and the phrase lists it
// hands the parser component as OLE arrays.
#include <gtest/gtest.h>

#include "platform/phrase_list.h"
#include "platform/system.h"

namespace velkor::platform {
namespace {

// Wine runs both widths in a 64-bit prefix, as a 64-bit Windows does: only
// the 32-bit build runs under WOW64, and only it takes tools from Sysnative.
TEST(System, OnlyThe32BitBuildRunsUnderWow64) { EXPECT_EQ(RunningUnderWow64(), sizeof(void*) == 4); }

// A system text with an insert ("%1 is not a valid Win32 application.") comes
// back with the insert as it stands, not empty.
TEST(System, ErrorTextsKeepTheirInserts) {
  const std::optional<std::string> text = SystemErrorText(193);
  ASSERT_TRUE(text);
  EXPECT_NE(text->find("%1"), std::string::npos) << *text;
}

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
