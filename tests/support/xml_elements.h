// Reads a document with a real XML parser (expat): whether it is well-formed,
// and every element's name and character data, in document order.
#pragma once

#include <expat.h>

#include <climits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velkor::testing {

struct XmlElement {
  std::string name;
  std::string text;  // character data directly inside, CDATA included, line ends as the parser gives them
};

struct XmlReading {
  bool wellFormed = false;
  std::string error;  // the parser's message and position when not well-formed
  std::vector<XmlElement> elements;
};

inline XmlReading ReadXml(std::string_view document) {
  struct State {
    XmlReading reading;
    std::vector<std::size_t> open;  // the elements being read
  } state;
  XmlReading& reading = state.reading;
  const std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(XML_ParserCreate(nullptr),
                                                                            &XML_ParserFree);
  XML_SetUserData(parser.get(), &state);
  XML_SetElementHandler(
      parser.get(),
      [](void* data, const XML_Char* name, const XML_Char**) {
        auto& s = *static_cast<State*>(data);
        s.open.push_back(s.reading.elements.size());
        s.reading.elements.push_back({name, ""});
      },
      [](void* data, const XML_Char*) { static_cast<State*>(data)->open.pop_back(); });
  XML_SetCharacterDataHandler(parser.get(), [](void* data, const XML_Char* text, int length) {
    auto& s = *static_cast<State*>(data);
    if (!s.open.empty())
      s.reading.elements[s.open.back()].text.append(text, static_cast<std::size_t>(length));
  });
  reading.wellFormed =
      document.size() <= INT_MAX &&
      XML_Parse(parser.get(), document.data(), static_cast<int>(document.size()), XML_TRUE) == XML_STATUS_OK;
  if (!reading.wellFormed)
    reading.error = std::string(XML_ErrorString(XML_GetErrorCode(parser.get()))) + " at line " +
                    std::to_string(XML_GetCurrentLineNumber(parser.get())) + ", column " +
                    std::to_string(XML_GetCurrentColumnNumber(parser.get()));
  return reading;
}

}  // namespace velkor::testing
