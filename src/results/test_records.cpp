#include "results/test_records.h"

#include "core/text.h"

namespace velkor {

namespace {
constexpr int kLastFailureId = 3000;  // higher function IDs are closing conditions
constexpr int kTimeServiceSlot = 17;
}  // namespace

int PagesToRequest(const std::string& recordCount) {
  const int count = AtoiLike(recordCount);
  return count > 0 ? count / kRecordsPerPage + 1 : 0;
}

std::optional<RecordResult> ResultForRecord(int functionId, const DatabaseConditions& conditions,
                                            const TimeService& timeService) {
  const int slot = ConditionSlots::SlotOf(functionId);
  if (!ConditionSlots::InRange(slot)) return std::nullopt;
  const bool closing = functionId > kLastFailureId;
  const std::string_view label = closing ? "Closing Status and Errorcode" : "Status and Errorcode";
  if (!closing && slot == kTimeServiceSlot && timeService.state != 1)
    return RecordResult{"0", timeService.text, label};
  const ConditionSlots::Value& status =
      closing ? conditions.ClosingStatusSlots.At(slot) : conditions.StatusSlots.At(slot);
  const ConditionSlots::Value& errorCode =
      closing ? conditions.ClosingErrorCodeSlots.At(slot) : conditions.ErrorCodeSlots.At(slot);
  if (!status || !errorCode) return std::nullopt;
  return RecordResult{*status, *errorCode, label};
}

}  // namespace velkor
