// The status file over any texts (fuzz/README.md) is well-formed XML, read by
// a real parser, with its elements in order and every text as Velkor wrote it.
#include "report/status_xml.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/text_limits.h"
#include "fuzz_support.h"
#include "support/xml_elements.h"

namespace {

using velkor::fuzz::Expect;

// `text` with its line ends as the parser reads them: CR LF and a lone CR as LF.
std::string AsParsed(std::string text) {
  for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) text.erase(at, 1);
  std::replace(text.begin(), text.end(), '\r', '\n');
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto fields = velkor::fuzz::SplitAt(velkor::fuzz::InputText(data, size), '\0');
  if (fields.size() == 1) fields.push_back("2");
  fields.resize(4);
  const std::string_view errorDesc = fields[0], status = fields[1], regId = fields[2],
                         databaseName = fields[3];

  const std::string file = velkor::StatusHeaderPiece(regId, velkor::LocalTime{2014, 3, 5, 7, 21, 5, 2, 45}) +
                           velkor::StatusBlockPiece(status, databaseName, errorDesc) +
                           std::string(velkor::kStatusFunctionPiece) +
                           std::string(velkor::kStatusFooterPiece);

  const velkor::testing::XmlReading xml = velkor::testing::ReadXml(file);
  if (!xml.wellFormed) velkor::fuzz::Fail("the status file is not well-formed XML: " + xml.error);
  std::vector<std::string> names;
  for (const velkor::testing::XmlElement& element : xml.elements) names.push_back(element.name);
  Expect(names == std::vector<std::string>{"radedavivururaz", "regid", "mntime", "status", "dbname", "modid",
                                           "edesc", "szfunc"},
         "the status file has its eight elements in their order");

  if (std::none_of(fields.begin(), fields.end(), [](std::string_view f) { return f.find('\n') != f.npos; }))
    Expect(std::count(file.begin(), file.end(), '\n') == 8, "the status file is not nine lines");
  const std::string_view texts[] = {regId, status, databaseName};
  const std::size_t elements[] = {1, 3, 4};
  for (std::size_t i = 0; i < 3; ++i) {
    const std::string kept = velkor::XmlCharacters(texts[i]);
    Expect(kept.size() == texts[i].size() && velkor::XmlCharacters(kept) == kept,
           "replacing what XML cannot carry keeps the length and is done once for all");
    Expect(xml.elements[elements[i]].text == AsParsed(kept), "a text reads back as written");
  }
  if ((status == "0" || status == "2") && !errorDesc.empty()) {
    const std::string written =
        velkor::XmlCharacters(errorDesc.substr(0, velkor::limits::kStatusDescriptionWritten));
    Expect(xml.elements[6].text == AsParsed(written), "the description reads back as written");
  }
  return 0;
}
