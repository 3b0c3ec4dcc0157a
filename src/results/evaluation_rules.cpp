#include "results/evaluation_rules.h"

#include <optional>
#include <span>
#include <string>

#include "core/guard.h"

namespace velkor {
namespace {

// The conditions that a failed share check or connectivity test (and the
// conditions 1109 and 1111) make meaningless, cleared in this order.
constexpr int kWideDependents[] = {11,  12,  13,  14,  15,  16,  17,  18,  19,  20,  21,  22,  23,  24,
                                   25,  26,  27,  28,  29,  30,  72,  73,  75,  79,  80,  81,  82,  84,
                                   85,  86,  88,  89,  90,  91,  92,  95,  96,  97,  98,  103, 104, 105,
                                   106, 108, 112, 113, 114, 115, 116, 117, 119, 120, 121, 122, 123, 124,
                                   125, 126, 127, 128, 129, 130, 131, 132, 133, 134};
constexpr int kRule2Dependents[] = {20, 23, 24};
constexpr int kRule3Dependents[] = {28, 30, 114};
constexpr int kDnsTestDependents[] = {91, 92, 97, 110};
constexpr int kRule5Dependents[] = {17, 73};
constexpr int kLdapTestDependents[] = {91, 92, 106, 110};
constexpr int kRule7Dependents[] = {88, 91, 92};
constexpr int kDomainPolicyDependents[] = {133};
constexpr int kDomainControllerPolicyDependents[] = {132};
constexpr int kRule11Dependents[] = {97};
constexpr int kRule13Dependents[] = {91};

struct DependencyRule {
  int parentSlot;
  std::span<const int> dependentSlots;
};

constexpr DependencyRule kDependencyRules[kDependencyRuleCount] = {
    {1, kWideDependents},                      // 1001 share check
    {3, kWideDependents},                      // 1003 connectivity
    {22, kRule2Dependents},                    // 1022
    {29, kRule3Dependents},                    // 1029
    {88, kDnsTestDependents},                  // 1088 netdiag DNS test
    {75, kRule5Dependents},                    // 1075
    {104, kLdapTestDependents},                // 1104 netdiag LDAP test
    {110, kRule7Dependents},                   // 1110
    {132, kDomainPolicyDependents},            // 1132 default domain policy
    {133, kDomainControllerPolicyDependents},  // 1133 default domain controllers policy
    {109, kWideDependents},                    // 1109
    {91, kRule11Dependents},                   // 1091
    {111, kWideDependents},                    // 1111
    {97, kRule13Dependents},                   // 1097
};

constexpr int kReplicationEventSlots[] = {115, 116, 117, 119, 120, 121, 137, 138, 139, 140};
constexpr int kDnsSlots[] = {88, 89, 90, 91, 92, 95, 129};

// Two or more flagged members: the combined slot is flagged and every member cleared.
void MergeGroup(ConditionSlots& statusSlots, std::span<const int> members, int combinedSlot) {
  int flagged = 0;
  for (const int slot : members) flagged += statusSlots.IsFlagged(slot) ? 1 : 0;
  if (flagged < 2) return;
  statusSlots.Set(combinedSlot, "1");
  for (const int slot : members) statusSlots.Set(slot, "0");
}

// Where a closing condition takes its source status from.
enum class ClosingSource {
  Slot,               // the status slot as it is
  ConnectivityGroup,  // "1" when any of 3, 109, 110, 111 holds a text other than "0"
  TimeService,        // depends on whether the time service runs
  FlaggedOrNot,       // "1" when the slot is flagged, else "0"
};

struct ClosingEntry {
  int slot;
  ClosingSource source;
};

constexpr ClosingEntry kClosingEntries[] = {
    {1, ClosingSource::Slot},         {3, ClosingSource::ConnectivityGroup},
    {75, ClosingSource::TimeService}, {29, ClosingSource::FlaggedOrNot},
    {19, ClosingSource::Slot},        {20, ClosingSource::Slot},
    {21, ClosingSource::Slot},        {22, ClosingSource::Slot},
    {23, ClosingSource::Slot},        {24, ClosingSource::Slot},
    {122, ClosingSource::Slot},       {17, ClosingSource::Slot},
    {112, ClosingSource::Slot},       {113, ClosingSource::Slot},
    {132, ClosingSource::Slot},       {133, ClosingSource::Slot},
};

constexpr int kConnectivityGroupSlots[] = {3, 109, 110, 111};
constexpr int kConnectivityErrorSlot = 111;
constexpr int kTimeServiceSlots[] = {75, 79, 73};
constexpr int kTimeServiceRunning = 1;
constexpr int kClosingFunctionIdBase = 3000;

std::string FlagText(bool flagged) { return flagged ? "1" : "0"; }

// A slot without any text does not count as holding something other than "0".
bool HoldsOtherThanZero(const ConditionSlots& slots, int slot) {
  const ConditionSlots::Value& value = slots.At(slot);
  return value.has_value() && *value != "0";
}

struct ClosingSourceValues {
  ConditionSlots::Value status;
  ConditionSlots::Value errorCode;
};

ClosingSourceValues SourceOf(const TimeService& timeService, const ClosingEntry& entry,
                             const ConditionSlots& statusSlots, const ConditionSlots& errorCodeSlots) {
  switch (entry.source) {
    case ClosingSource::ConnectivityGroup: {
      bool any = false;
      for (const int slot : kConnectivityGroupSlots) any = any || HoldsOtherThanZero(statusSlots, slot);
      return {FlagText(any), errorCodeSlots.At(kConnectivityErrorSlot)};
    }
    case ClosingSource::TimeService:
      if (timeService.state == kTimeServiceRunning) {
        bool any = false;
        for (const int slot : kTimeServiceSlots) any = any || statusSlots.IsFlagged(slot);
        return {FlagText(any), timeService.text};
      }
      break;
    case ClosingSource::FlaggedOrNot:
      return {FlagText(statusSlots.IsFlagged(entry.slot)), errorCodeSlots.At(entry.slot)};
    case ClosingSource::Slot:
      break;
  }
  return {statusSlots.At(entry.slot), errorCodeSlots.At(entry.slot)};
}

}  // namespace

void CheckDependecy(RunContext& ctx, ConditionSlots& statusSlots) {
  Guarded(ctx, StandardHandler("CheckDependecy"), [&] {
    for (int rule = 0; rule < kDependencyRuleCount; ++rule) {
      if (statusSlots.IsFlagged(kDependencyRules[rule].parentSlot))
        UpdateStatusWithDependecy(ctx, rule, statusSlots);
    }
  });
}

void UpdateStatusWithDependecy(RunContext& ctx, int rule, ConditionSlots& statusSlots) {
  Guarded(ctx, StandardHandler("UpdateStatusWithDependecy"), [&] {
    if (rule < 0 || rule >= kDependencyRuleCount) return;
    for (const int slot : kDependencyRules[rule].dependentSlots) statusSlots.Set(slot, "0");
  });
}

void CheckKCCTest(RunContext& ctx, ConditionSlots& statusSlots) {
  Guarded(ctx, StandardHandler("CheckKCCTest"),
          [&] { MergeGroup(statusSlots, kReplicationEventSlots, kCombinedReplicationEventSlot); });
}

void CheckMultipleDNSTest(RunContext& ctx, ConditionSlots& statusSlots) {
  Guarded(ctx, StandardHandler("CheckMultipleDNSTest"),
          [&] { MergeGroup(statusSlots, kDnsSlots, kCombinedDnsSlot); });
}

void CheckClosingConditons(RunContext& ctx, const TimeService& timeService, const ConditionSlots& statusSlots,
                           const ConditionSlots& errorCodeSlots, ConditionSlots& closingStatusSlots,
                           ConditionSlots& closingErrorCodeSlots) {
  Guarded(ctx, StandardHandler("CheckClosingConditons"), [&] {
    for (const ClosingEntry& entry : kClosingEntries) {
      const ClosingSourceValues source = SourceOf(timeService, entry, statusSlots, errorCodeSlots);
      if (!source.status || !source.errorCode) continue;
      const bool known = *source.status == "1" || *source.status == "0";
      const std::string closing = known ? FlagText(*source.status == "0") : std::string();
      closingStatusSlots.Set(entry.slot, closing);
      closingErrorCodeSlots.Set(entry.slot, *source.errorCode);
      if (known) {
        ctx.LogActivity("Info", "Status and Errorcode", std::to_string(kClosingFunctionIdBase + entry.slot),
                        closing, *source.errorCode);
      }
    }
  });
}

}  // namespace velkor
