// The report's texts where the end-to-end runs cannot easily reach: activity
// line limits, status file names, every stored status, XML's characters.
#include <gtest/gtest.h>

#include <tuple>

#include "report/activity_line.h"
#include "report/status_xml.h"

namespace velkor {
namespace {

TEST(ActivityLine, InformationInAnyCaseIsInfoAndOtherTypesAreUpperCasedWithinTheirLimit) {
  EXPECT_EQ(NormaliseEntryType("infoRMATION"), "INFO");
  EXPECT_EQ(NormaliseEntryType(std::string(150, 'x')), std::string(99, 'X'));
}

TEST(ActivityLine, OverlongLinesAreCutKeepingTheLineFeed) {
  const std::string line = ComposeActivityLine("d", "t", "u", "m", "INFO", std::string(5000, 'a'), "", "");
  EXPECT_EQ(line.size(), 3071u);
  EXPECT_EQ(line.back(), '\n');
}

// The registration identifier is only text in the name, however it reads as a path or names
// a stream (the end-to-end runs check the digits of the time).
TEST(StatusXml, FileNameHoldsNoSeparators) {
  EXPECT_EQ(StatusFileName("x/../..\\..\\e:s*?\"<>|\x01", LocalTime{2015, 1, 4, 1, 1, 2, 3, 4}),
            "radedavivururaz_N_x_.._.._.._e_s________velkor_2015111234.txt");
}

TEST(StatusXml, DescriptionDependsOnTheStoredStatus) {
  // clang-format off
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"0", "No Errors Found", "<![CDATA[No Errors Found]]>"}, {"0", "", "<![CDATA[No Error found]]>"},
      {"1", "anything", "<![CDATA[Success]]>"}, {"2", "", "<![CDATA[FuncID status error]]>"},
      {"3", "x", ""}, {"", "x", ""}};
  // clang-format on
  for (const auto& [status, desc, edesc] : cases)
    EXPECT_EQ(EdescText(status, desc), edesc) << status << "/" << desc;
}

// A "?" stands for every byte XML cannot carry; UTF-8 of allowed characters,
// tab and line ends stay. The length never changes.
TEST(StatusXml, BytesXmlCannotCarryBecomeQuestionMarks) {
  const std::pair<std::string, std::string> cases[] = {
      {"Access denied.\t\r\n", "Access denied.\t\r\n"},
      {std::string("a\0b\x01\x1f\x7f", 6), "a?b??\x7f"},
      {"caf\xe9 \xff\xfe", "caf? ??"},  // system code page letters
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},  // UTF-8
      {"\xc3\xa9\xe2\x82", "\xc3\xa9??"},                            // cut short
      {"\xc0\xaf\xe0\x80\xaf", "?????"},                             // overlong forms
      {"\xed\xa0\x80\xef\xbf\xbe\xef\xbf\xbf", "?????????"},         // surrogate, U+FFFE, U+FFFF
      {"\xf4\x90\x80\x80\xf4\x8f\xbf\xbd", "????\xf4\x8f\xbf\xbd"},  // beyond U+10FFFF, U+10FFFD
  };
  for (const auto& [text, kept] : cases)
    EXPECT_EQ(XmlCharacters(text), kept) << ::testing::PrintToString(text);
  EXPECT_EQ(EscapeXmlText("<\x01&\xe9>"), "&lt;?&amp;?&gt;");
  EXPECT_EQ(CdataSection("]]\x01]]>"), "<![CDATA[]]?]]]]><![CDATA[>]]>");
}

}  // namespace
}  // namespace velkor
