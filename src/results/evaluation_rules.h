// The rules that run across conditions once all tools of a database have been
// evaluated: dependent conditions are cleared, groups of conditions merge
// into one, and closing conditions are derived from their failures.
#pragma once

#include "classify/condition_slots.h"
#include "core/run_context.h"
#include "hostchecks/time_service.h"

namespace velkor {

inline constexpr int kDependencyRuleCount = 14;
inline constexpr int kCombinedDnsSlot = 135;
inline constexpr int kCombinedReplicationEventSlot = 136;

// Runs the dependency rules 0 to 13 in order: a rule whose parent slot holds
// "1" when the rule is reached clears its dependent slots.
void CheckDependecy(RunContext& ctx, ConditionSlots& statusSlots);

// Stores "0" in every dependent slot of `rule`; a rule outside 0 to 13 does nothing.
void UpdateStatusWithDependecy(RunContext& ctx, int rule, ConditionSlots& statusSlots);

// Two or more flagged replication-event conditions become the one combined condition.
void CheckKCCTest(RunContext& ctx, ConditionSlots& statusSlots);

// Two or more flagged DNS conditions become the one combined condition.
void CheckMultipleDNSTest(RunContext& ctx, ConditionSlots& statusSlots);

// Derives the sixteen closing conditions (status "1" where the failure is not
// flagged, "0" where it is) with their error codes, using the time service's
// state and text, and logs each one.
void CheckClosingConditons(RunContext& ctx, const TimeService& timeService, const ConditionSlots& statusSlots,
                           const ConditionSlots& errorCodeSlots, ConditionSlots& closingStatusSlots,
                           ConditionSlots& closingErrorCodeSlots);

}  // namespace velkor
