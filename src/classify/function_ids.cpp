#include "classify/function_ids.h"

#include <string>

#include "classify/phrase_tables.h"
#include "classify/tool_descriptors.h"

namespace velkor {

int GetSubKeyWordFunctionID(std::string_view phrase) {
  for (const tables::PhraseFunctionId& row : tables::SubKeywordFunctionIds()) {
    if (row.phrase == phrase) return row.functionId;
  }
  return 0;
}

void SetToolErrorCodes(int toolKind, std::string_view errorText, ConditionSlots& errorCodeSlots) {
  const std::string text(errorText);
  const ToolDescriptor* tool = FullRunTool(toolKind);
  if (tool == nullptr) {
    errorCodeSlots.Set(0, text);
    return;
  }
  for (const tables::FunctionIdRange& range : tool->errorCodeRanges) {
    for (int id = range.first; id <= range.last; ++id) errorCodeSlots.Set(ConditionSlots::SlotOf(id), text);
  }
}

}  // namespace velkor
