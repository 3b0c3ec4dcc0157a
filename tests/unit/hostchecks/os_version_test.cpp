#include "hostchecks/os_version.h"

#include <gtest/gtest.h>

#include <string>

namespace velkor {
namespace {

// Compared exactly; the 6 series from 6.1 to 6.3 is recorded as "6.0".
TEST(OSVersion, OnlyExactSupportedVersionsPass) {
  const struct {
    const char *read, *recorded;
    bool supported;
  } cases[] = {{"6.0", "6.0", true},    {"6.2", "6.0", true},    {"6.3", "6.0", true}, {"6.4", "6.4", false},
               {"6.10", "6.10", false}, {" 5.2", " 5.2", false}, {"", "", false}};
  for (const auto& c : cases) {
    std::string version = c.read;
    EXPECT_EQ(NormaliseOSVersion(version), c.supported) << '"' << c.read << '"';
    EXPECT_EQ(version, c.recorded);
  }
}

}  // namespace
}  // namespace velkor
