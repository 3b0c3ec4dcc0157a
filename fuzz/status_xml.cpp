// The status file over any texts. The input holds ERRORDESC, STATUS, the
// registration identifier and the database name, separated by NUL bytes (none
// of them can hold a NUL: each comes from a C text); a missing STATUS is "2",
// so that a plain text is an error description. Whatever the texts, the file
// must be well-formed XML, read by a real parser, with the elements in their
// order and every text in it as Velkor wrote it.
#include "report/status_xml.h"

#include <string>
#include <vector>

#include "core/text_limits.h"
#include "fuzz_support.h"
#include "support/xml_elements.h"

namespace {

using velkor::fuzz::Expect;

std::string WithoutCarriageReturns(std::string text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
    } else if (i + 1 == text.size() || text[i + 1] != '\n') {
      out += '\n';  // a lone CR is a line end to the parser
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto fields = velkor::fuzz::SplitAt(velkor::fuzz::InputText(data, size), '\0');
  if (fields.size() == 1) fields.push_back("2");
  fields.resize(4);
  const std::string_view errorDesc = fields[0], status = fields[1], regId = fields[2],
                         databaseName = fields[3];

  const velkor::LocalTime t{2014, 3, 5, 7, 21, 5, 2, 45};
  std::string file = velkor::StatusHeaderPiece(regId, t);
  file += velkor::StatusBlockPiece(status, databaseName, errorDesc);
  file += velkor::kStatusFunctionPiece;
  file += velkor::kStatusFooterPiece;

  const velkor::testing::XmlReading xml = velkor::testing::ReadXml(file);
  if (!xml.wellFormed) velkor::fuzz::Fail("the status file is not well-formed XML: " + xml.error);
  std::vector<std::string> names;
  for (const velkor::testing::XmlElement& element : xml.elements) names.push_back(element.name);
  Expect(names == std::vector<std::string>{"radedavivururaz", "regid", "mntime", "status", "dbname", "modid",
                                           "edesc", "szfunc"},
         "the status file has its eight elements in their order");

  const std::string_view texts[] = {regId, status, databaseName};
  const std::size_t elements[] = {1, 3, 4};
  for (std::size_t i = 0; i < 3; ++i) {
    const std::string kept = velkor::XmlCharacters(texts[i]);
    Expect(kept.size() == texts[i].size() && velkor::XmlCharacters(kept) == kept,
           "replacing what XML cannot carry keeps the length and is done once for all");
    Expect(xml.elements[elements[i]].text == WithoutCarriageReturns(kept), "a text reads back as written");
  }
  if ((status == "0" || status == "2") && !errorDesc.empty()) {
    const std::string written =
        velkor::XmlCharacters(errorDesc.substr(0, velkor::limits::kStatusDescriptionWritten));
    Expect(xml.elements[6].text == WithoutCarriageReturns(written), "the description reads back as written");
  }
  return 0;
}
