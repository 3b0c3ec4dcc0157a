// What the end-to-end runs cannot easily reach: name digits, every stored
// status, and the limits.
#include "report/status_xml.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(StatusXml, FileNameHasNoLeadingZeros) {
  EXPECT_EQ(StatusFileName("R", LocalTime{2015, 1, 4, 1, 1, 2, 3, 4}),
            "radedavivururaz_N_R_velkor_2015111234.txt");
  // 11 January and 1 November give the same digits.
  EXPECT_EQ(StatusFileName("R", LocalTime{2015, 1, 0, 11, 1, 2, 3, 4}),
            StatusFileName("R", LocalTime{2015, 11, 0, 1, 1, 2, 3, 4}));
}

TEST(StatusXml, DescriptionDependsOnTheStoredStatus) {
  struct Case {
    const char *status, *desc, *edesc;
  } cases[] = {
      {"0", "No Errors Found", "<![CDATA[No Errors Found]]>"},
      {"0", "", "<![CDATA[No Error found]]>"},
      {"1", "anything", "<![CDATA[Success]]>"},
      {"2", "", "<![CDATA[FuncID status error]]>"},
      {"3", "x", ""},
      {"", "x", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(EdescText(c.status, c.desc), c.edesc) << c.status << "/" << c.desc;
  EXPECT_EQ(EdescText("2", std::string(2000, 'e')).size(), std::string("<![CDATA[]]>").size() + 1011);
}

}  // namespace
}  // namespace velkor
