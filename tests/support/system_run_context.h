// A FakeRunContext that reads the thread's real last Windows error.
#pragma once

#include <windows.h>

#include "support/fake_run_context.h"

namespace velkor::testing {

class SystemRunContext : public FakeRunContext {
 public:
  std::uint32_t LastSystemError() const override { return GetLastError(); }
};

}  // namespace velkor::testing
