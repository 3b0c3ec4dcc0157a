#include "app/unfinished_runs.h"

#include "core/text.h"
#include "platform/ini.h"

namespace velkor {
namespace {
constexpr char kSection[] = "VELKOR";
constexpr char kRunning[] = "RUNNING";
constexpr char kUnfinished[] = "UNFINISHED";
constexpr std::size_t kBuffer = 128;
}  // namespace

std::string UnfinishedRunsText(int count) {
  return "Previous run did not finish (" + std::to_string(count) + " runs in a row)";
}

int FullRunMark::Begin() {
  int count = AtoiLike(platform::IniReadString(iniPath_, kSection, kUnfinished, "", kBuffer));
  if (count < 0) count = 0;
  if (platform::IniReadString(iniPath_, kSection, kRunning, "", kBuffer) == "1") {
    if (count < 1000000) ++count;
    platform::IniWrite(iniPath_, kSection, kUnfinished, std::to_string(count));
  }
  platform::IniWrite(iniPath_, kSection, kRunning, "1");
  return count;
}

void FullRunMark::Finished() {
  platform::IniWrite(iniPath_, kSection, kRunning, "0");
  platform::IniWrite(iniPath_, kSection, kUnfinished, "0");
}

void FullRunMark::EndedWithStatus() { platform::IniWrite(iniPath_, kSection, kRunning, "0"); }

}  // namespace velkor
