// Helpers for tests of the condition arrays: slots as sets of numbers.
#pragma once

#include <initializer_list>
#include <set>
#include <string_view>
#include <utility>

#include "classify/condition_slots.h"

namespace velkor::testing {

inline std::set<int> SlotsHolding(const ConditionSlots& slots, std::string_view text) {
  std::set<int> found;
  for (int slot = 0; slot < ConditionSlots::kCount; ++slot)
    if (slots.Holds(slot, text)) found.insert(slot);
  return found;
}

// The slots of the inclusive ranges {first, last}.
inline std::set<int> SlotRanges(std::initializer_list<std::pair<int, int>> ranges) {
  std::set<int> slots;
  for (const auto& [first, last] : ranges)
    for (int slot = first; slot <= last; ++slot) slots.insert(slot);
  return slots;
}

// Slots that hold "1" at `flagged`, "0" elsewhere.
inline ConditionSlots Flagged(const std::set<int>& flagged) {
  ConditionSlots slots;
  for (const int slot : flagged) slots.Set(slot, "1");
  return slots;
}

}  // namespace velkor::testing
