// The per-database condition arrays: 200 text slots, one per function ID
// (slot = function ID modulo 1000), every slot "0" when created. A slot may
// also hold no text at all, which the evaluation rules tell apart from any
// text.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace velkor {

class ConditionSlots {
 public:
  static constexpr int kCount = 200;
  using Value = std::optional<std::string>;

  ConditionSlots() { values_.fill(std::string("0")); }

  // The slot of a function ID (1088 -> 88, 3001 -> 1). It may lie outside
  // the array; reads there give no text and writes are ignored.
  static constexpr int SlotOf(int functionId) { return functionId % 1000; }
  static constexpr bool InRange(int slot) { return slot >= 0 && slot < kCount; }

  const Value& At(int slot) const {
    return InRange(slot) ? values_[static_cast<std::size_t>(slot)] : kNoText;
  }
  // Stores `value` at `slot`; false (and nothing stored) outside the array.
  bool Set(int slot, Value value) {
    if (!InRange(slot)) return false;
    values_[static_cast<std::size_t>(slot)] = std::move(value);
    return true;
  }
  // True when the slot holds exactly `text`.
  bool Holds(int slot, std::string_view text) const {
    const Value& value = At(slot);
    return value.has_value() && *value == text;
  }
  // A condition is flagged when its slot holds exactly "1".
  bool IsFlagged(int slot) const { return Holds(slot, "1"); }

 private:
  static inline const Value kNoText{};
  std::array<Value, kCount> values_;
};

}  // namespace velkor
