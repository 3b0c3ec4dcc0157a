// What the full run writes into a database's test records: the four
// condition arrays of one database, the number of pages asked for, and the
// status and error code that each record's function ID selects.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "classify/condition_slots.h"
#include "hostchecks/time_service.h"

namespace velkor {

// The condition arrays of one database, every slot "0" when created.
struct DatabaseConditions {
  ConditionSlots StatusSlots;
  ConditionSlots ErrorCodeSlots;
  ConditionSlots ClosingStatusSlots;
  ConditionSlots ClosingErrorCodeSlots;
};

inline constexpr int kRecordsPerPage = 20;

// szMaxLoop: the number of pages asked for a record count (text read as atoi
// reads it): count / 20 + 1 above 0, else 0.
int PagesToRequest(const std::string& recordCount);

// What a record is given, and the message of its activity line.
struct RecordResult {
  std::string status;
  std::string errorCode;
  std::string_view label;
};

// The status and error code of a record with `functionId`: above 3000 from
// the closing arrays, otherwise from the status and error-code arrays, where
// slot 17 gives status "0" and the time service's text while that service is
// not running (state other than 1). None when the slot lies outside the
// arrays or either slot holds no text: the record is then left as it is.
std::optional<RecordResult> ResultForRecord(int functionId, const DatabaseConditions& conditions,
                                            const TimeService& timeService);

}  // namespace velkor
