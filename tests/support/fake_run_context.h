// The recording RunContext for unit tests, with readable failure messages.
#pragma once

#include <gtest/gtest.h>

#include <ostream>

#include "support/recording_run_context.h"

namespace velkor::testing {

// Readable failure messages for lines that differ.
inline void PrintTo(const LoggedLine& line, std::ostream* os) {
  *os << "{" << ::testing::PrintToString(line.module) << ", " << ::testing::PrintToString(line.type) << ", "
      << ::testing::PrintToString(line.message) << ", " << ::testing::PrintToString(line.detail) << ", "
      << ::testing::PrintToString(line.extra) << "}";
}

}  // namespace velkor::testing
