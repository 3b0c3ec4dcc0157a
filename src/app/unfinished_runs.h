// Full runs that never reach their end. A run ended by the next scheduled
// start (while a tool hangs), by a crash or by a reboot leaves the stored
// status as it was, so a controller whose runs keep being ended would never
// be reported. Two keys beside the run's others in section VELKOR of the
// agent INI file keep count: RUNNING ("1" while a full run is under way, "0"
// once it is over) and UNFINISHED (how many full runs in a row did not finish).
#pragma once

#include <string>
#include <utility>

namespace velkor {

// From this many unfinished full runs in a row on, the next full run reports them.
inline constexpr int kUnfinishedRunsReported = 2;

// "Previous run did not finish (<count> runs in a row)".
std::string UnfinishedRunsText(int count);

class FullRunMark {
 public:
  explicit FullRunMark(std::string iniPath) : iniPath_(std::move(iniPath)) {}

  // At the start of a full run: counts the previous full run when it never
  // reached its end, marks this one as under way and returns how many full
  // runs in a row did not finish.
  int Begin();
  // The run reached its end: nothing is unfinished any more.
  void Finished();
  // The run ends early, having reported why as the run's status: it is not
  // counted (the count stays as it is).
  void EndedWithStatus();

 private:
  std::string iniPath_;
};

}  // namespace velkor
