// Helpers for tests of the condition arrays: slots as sets of numbers.
#pragma once

#include <initializer_list>
#include <set>
#include <string_view>

#include "classify/condition_slots.h"

namespace velkor::testing {

inline std::set<int> SlotsHolding(const ConditionSlots& slots, std::string_view text) {
  std::set<int> found;
  for (int slot = 0; slot < ConditionSlots::kCount; ++slot) {
    if (slots.Holds(slot, text)) found.insert(slot);
  }
  return found;
}

inline std::set<int> SlotRange(int first, int last) {
  std::set<int> slots;
  for (int slot = first; slot <= last; ++slot) slots.insert(slot);
  return slots;
}

inline std::set<int> SlotUnion(std::initializer_list<std::set<int>> parts) {
  std::set<int> all;
  for (const auto& part : parts) all.insert(part.begin(), part.end());
  return all;
}

// Slots that hold "1" at `flagged`, "0" elsewhere.
inline ConditionSlots Flagged(const std::set<int>& flagged) {
  ConditionSlots slots;
  for (const int slot : flagged) slots.Set(slot, "1");
  return slots;
}

}  // namespace velkor::testing
