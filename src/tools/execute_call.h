// The arguments of str_nexexecute for one tool run: the parameters, the fixed
// texts "yes", "", "1", "2", the output file and "no", and one result shared
// by every attempt (the library sets it on every call).
#pragma once

#include <string>

#include "core/text_limits.h"
#include "platform/nexparser_api.h"
#include "platform/ole.h"

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
        no_("no") {}

  int Run(NexExecuteFn execute, const std::string& command) {
    platform::Variant commandArgument(command);
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
};

}  // namespace velkor
