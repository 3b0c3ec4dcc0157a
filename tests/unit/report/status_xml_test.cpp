#include "report/status_xml.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(StatusXml, FileNameHasNoLeadingZeros) {
  EXPECT_EQ(StatusFileName("R", LocalTime{2014, 3, 5, 7, 21, 5, 2, 45}),
            "radedavivururaz_N_R_velkor_201437215245.txt");
  EXPECT_EQ(StatusFileName("R", LocalTime{2015, 1, 4, 1, 1, 2, 3, 4}),
            "radedavivururaz_N_R_velkor_2015111234.txt");
  // 11 January and 1 November give the same digits.
  EXPECT_EQ(StatusFileName("R", LocalTime{2015, 1, 0, 11, 1, 2, 3, 4}),
            StatusFileName("R", LocalTime{2015, 11, 0, 1, 1, 2, 3, 4}));
}

TEST(StatusXml, MnTimeIsYearFirstWithoutLeadingZerosAndTheHeaderMonthFirst) {
  const LocalTime t{2014, 3, 5, 7, 21, 5, 2, 45};
  EXPECT_EQ(FormatMnTime(t), "2014/3/7 21:5:2");
  EXPECT_EQ(StatusHeaderPiece("R1", t),
            "<radedavivururaz>\n<regid>R1</regid>\n<mntime>3/7/2014 21:5:2</mntime>");
}

TEST(StatusXml, DescriptionDependsOnTheStoredStatus) {
  struct Case {
    const char *status, *desc, *edesc;
  } cases[] = {
      {"0", "No Errors Found", "<![CDATA[No Errors Found]]>"},
      {"0", "", "<![CDATA[No Error found]]>"},
      {"1", "anything", "<![CDATA[Success]]>"},
      {"2", "Machine is Not Domain Controller", "<![CDATA[Machine is Not Domain Controller]]>"},
      {"2", "", "<![CDATA[FuncID status error]]>"},
      {"3", "x", ""},
      {"", "x", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(EdescText(c.status, c.desc), c.edesc) << c.status << "/" << c.desc;
  EXPECT_EQ(EdescText("2", std::string(2000, 'e')).size(), std::string("<![CDATA[]]>").size() + 1011);
}

TEST(StatusXml, StatusBlockIsExactForOrdinaryValues) {
  EXPECT_EQ(StatusBlockPiece("2", "db1.mdb", "OS version is not supported"),
            "\n<status>2</status>\n<dbname>db1.mdb</dbname>\n<modid>29</modid>\n"
            "<edesc><![CDATA[OS version is not supported]]></edesc>");
}

TEST(StatusXml, MarkupIsEscapedAndCdataTerminatorsSplit) {
  EXPECT_EQ(EscapeXmlText("a&b<c>d"), "a&amp;b&lt;c&gt;d");
  EXPECT_EQ(CdataSection("x]]>y]]>"), "<![CDATA[x]]]]><![CDATA[>y]]]]><![CDATA[>]]>");
  EXPECT_EQ(StatusBlockPiece("2", "<db>", "a]]>b"),
            "\n<status>2</status>\n<dbname>&lt;db&gt;</dbname>\n<modid>29</modid>\n"
            "<edesc><![CDATA[a]]]]><![CDATA[>b]]></edesc>");
}

TEST(StatusXml, StoredDateIsReadFromMnTime) {
  EXPECT_EQ(ParseMnTimeDate("2014/3/7 21:5:2"), (CalendarDate{2014, 3, 7}));
  EXPECT_EQ(ParseMnTimeDate("garbage"), std::nullopt);
}

TEST(StatusXml, DescriptionsAreStoredOnOneLine) {
  EXPECT_EQ(SingleLineDescription("TalLogger.dll Dependency dll is missing Module not found.\r\n"),
            "TalLogger.dll Dependency dll is missing Module not found.");
  EXPECT_EQ(SingleLineDescription("a\r\nb\nc"), "a b c");
  EXPECT_EQ(SingleLineDescription("No Errors Found"), "No Errors Found");
}

}  // namespace
}  // namespace velkor
