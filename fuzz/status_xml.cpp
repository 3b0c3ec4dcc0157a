// The status file over any texts (fuzz/README.md) is well-formed XML, read by
// expat, with its elements in order and every text as Velkor wrote it.
#include "report/status_xml.h"

#include <expat.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/text_limits.h"
#include "fuzz_support.h"

namespace {

using velkor::fuzz::Expect;

struct Element {
  std::string name, text;  // text: the character data directly inside, CDATA included
};

// The document's elements in order; a document that is not well-formed is a finding.
std::vector<Element> ReadXml(const std::string& document) {
  struct State {
    std::vector<Element> elements;
    std::vector<std::size_t> open;  // the elements being read
  } state;
  const std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(XML_ParserCreate(nullptr),
                                                                            &XML_ParserFree);
  XML_SetUserData(parser.get(), &state);
  XML_SetElementHandler(
      parser.get(),
      [](void* data, const XML_Char* name, const XML_Char**) {
        auto& s = *static_cast<State*>(data);
        s.open.push_back(s.elements.size());
        s.elements.push_back({name, ""});
      },
      [](void* data, const XML_Char*) { static_cast<State*>(data)->open.pop_back(); });
  XML_SetCharacterDataHandler(parser.get(), [](void* data, const XML_Char* text, int length) {
    auto& s = *static_cast<State*>(data);
    if (!s.open.empty()) s.elements[s.open.back()].text.append(text, static_cast<std::size_t>(length));
  });
  Expect(
      XML_Parse(parser.get(), document.data(), static_cast<int>(document.size()), XML_TRUE) == XML_STATUS_OK,
      "the status file is not well-formed XML");
  return state.elements;
}

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

  const std::vector<Element> xml = ReadXml(file);
  std::string names;
  for (const Element& element : xml) names += element.name + " ";
  Expect(names == "radedavivururaz regid mntime status dbname modid edesc szfunc ",
         "the status file has its eight elements in their order");

  const std::string_view texts[] = {regId, status, databaseName};
  const std::size_t elements[] = {1, 3, 4};
  for (std::size_t i = 0; i < 3; ++i) {
    const std::string kept = velkor::XmlCharacters(texts[i]);
    Expect(kept.size() == texts[i].size() && velkor::XmlCharacters(kept) == kept,
           "replacing what XML cannot carry keeps the length and is done once for all");
    Expect(xml[elements[i]].text == AsParsed(kept), "a text reads back as written");
  }
  if ((status == "0" || status == "2") && !errorDesc.empty()) {
    const std::string written =
        velkor::XmlCharacters(errorDesc.substr(0, velkor::limits::kStatusDescriptionWritten));
    Expect(xml[6].text == AsParsed(written), "the description reads back as written");
  }
  return 0;
}
