// The arguments of str_nexexecute for one tool run: the parameters, the fixed
// texts "yes", "", "1", "2", the output file and "no", and one result shared
// by every attempt (the library sets it on every call). A bare command is
// resolved to the native system folder where a 32-bit Velkor on a 64-bit
// Windows would not find it (NativeToolCommand), before the library sees it.
#pragma once

#include <string>

#include "core/text_limits.h"
#include "platform/files.h"
#include "platform/nexparser_api.h"
#include "platform/ole.h"
#include "platform/system.h"
#include "tools/tool_start.h"

namespace velkor {

class ExecuteCall {
 public:
  ExecuteCall(const std::string& parameters, const std::string& outputFile)
      : parameters_(parameters),
        yes_("yes"),
        empty_(""),
        one_("1"),
        two_("2"),
        output_(outputFile),
        no_("no"),
        search_{platform::RunningUnderWow64(), platform::ProgramFolder(),
                platform::ProgramSearchCurrentFolder(), platform::WindowsDirectory() + "\\Sysnative\\",
                platform::IsFile} {}

  int Run(NexExecuteFn execute, const std::string& command) {
    platform::Variant commandArgument(NativeToolCommand(command, search_));
    return execute(commandArgument.get(), parameters_.get(), yes_.get(), empty_.get(), one_.get(), two_.get(),
                   output_.get(), no_.get(), result_.get());
  }
  bool Succeeded() const { return result_.IsEmpty(); }
  // The library's error text, as the 256-byte buffers of the callers keep it.
  std::string ErrorText() const { return ComponentErrorText(result_); }

  static std::string ComponentErrorText(const platform::Variant& result) {
    return Bounded(result.ToAnsi(), kComponentErrorText);
  }

 private:
  static constexpr std::size_t kComponentErrorText = 255;
  platform::Variant parameters_, yes_, empty_, one_, two_, output_, no_, result_;
  ToolSearch search_;
};

}  // namespace velkor
