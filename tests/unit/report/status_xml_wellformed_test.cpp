// The composed status file read by a real XML parser (natively only): texts
// that once made it ill-formed, and every stored status.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/text_limits.h"
#include "report/status_xml.h"
#include "support/xml_elements.h"

namespace velkor {
namespace {

std::string StatusFile(std::string_view regId, std::string_view status, std::string_view databaseName,
                       std::string_view errorDesc) {
  std::string file = StatusHeaderPiece(regId, LocalTime{2014, 3, 5, 7, 21, 5, 2, 45});
  file += StatusBlockPiece(status, databaseName, errorDesc);
  file += kStatusFunctionPiece;
  file += kStatusFooterPiece;
  return file;
}

TEST(StatusXmlWellFormed, AnyTextReadsBackAsWritten) {
  const std::string texts[] = {
      "\x01",  // a control character (found by fuzzing)
      "Le fichier sp\xe9"
      "cifi\xe9 est introuvable.\r\n",         // a system text in the code page
      "caf\xc3\xa9 ]]> a ]]]]> <b>&amp;</b>",  // UTF-8, CDATA ends, markup
      std::string("nul\0inside", 10),
      std::string(1500, '\xff'),
  };
  for (const std::string& text : texts) {
    for (const char* status : {"0", "2"}) {
      const testing::XmlReading xml = testing::ReadXml(StatusFile(text, status, text, text));
      ASSERT_TRUE(xml.wellFormed) << xml.error << " for " << ::testing::PrintToString(text);
      ASSERT_EQ(xml.elements.size(), 8u);
      std::string kept = XmlCharacters(text);
      std::erase(kept, '\r');
      EXPECT_EQ(xml.elements[1].text, kept);                                               // regid
      EXPECT_EQ(xml.elements[4].text, kept);                                               // dbname
      EXPECT_EQ(xml.elements[6].text, kept.substr(0, limits::kStatusDescriptionWritten));  // edesc
    }
  }
}

TEST(StatusXmlWellFormed, EveryStoredStatusGivesTheNineLines) {
  for (const char* status : {"0", "1", "2", "", "x<y"}) {
    const std::string file = StatusFile("DEMO-DC01", status, "ad.mdb", "");
    const testing::XmlReading xml = testing::ReadXml(file);
    ASSERT_TRUE(xml.wellFormed) << xml.error << " for status " << status;
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 8) << status;
    EXPECT_EQ(xml.elements[3].text, status);
  }
}

}  // namespace
}  // namespace velkor
