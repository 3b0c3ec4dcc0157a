#include "hostchecks/os_version.h"

#include <gtest/gtest.h>

#include <string>

namespace velkor {
namespace {

TEST(OSVersion, OnlyExactSupportedVersionsPassAndSixSeriesBecomesSixZero) {
  const struct {
    const char *read, *recorded;
    bool supported;
  } cases[] = {
      {"5.0", "5.0", true},    {"5.2", "5.2", true},    {"6.0", "6.0", true},    {"6.1", "6.0", true},
      {"6.3", "6.0", true},    {"5.1", "5.1", false},   {"6.4", "6.4", false},   {"10.0", "10.0", false},
      {"5.0 ", "5.0 ", false}, {" 5.2", " 5.2", false}, {"6.10", "6.10", false}, {"", "", false},
  };
  for (const auto& c : cases) {
    std::string version = c.read;
    EXPECT_EQ(NormaliseOSVersion(version), c.supported) << '"' << c.read << '"';
    EXPECT_EQ(version, c.recorded) << '"' << c.read << '"';
  }
}

}  // namespace
}  // namespace velkor
