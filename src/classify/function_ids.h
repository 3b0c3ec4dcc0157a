// Detail phrase to function ID, and the spreading of a tool's error text over
// the function IDs the tool covers.
#pragma once

#include <string_view>

#include "classify/condition_slots.h"

namespace velkor {

// The function ID of a detail phrase (compared whole and case-sensitively,
// "*" literally); 0 when the phrase is not listed.
int GetSubKeyWordFunctionID(std::string_view phrase);

// Stores `errorText` in the slot of every function ID of `toolKind`, in
// ascending order; an unknown tool kind writes slot 0.
void SetToolErrorCodes(int toolKind, std::string_view errorText, ConditionSlots& errorCodeSlots);

}  // namespace velkor
