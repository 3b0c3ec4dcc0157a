#include "hostchecks/os_version.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velkor {
namespace {

struct VersionCase {
  const char* read;
  bool supported;
  const char* recorded;
};

TEST(OSVersion, OnlyExactSupportedVersionsPassAndSixSeriesBecomesSixZero) {
  const std::vector<VersionCase> cases = {
      {"5.0", true, "5.0"},  {"5.2", true, "5.2"},    {"6.0", true, "6.0"},    {"6.1", true, "6.0"},
      {"6.2", true, "6.0"},  {"6.3", true, "6.0"},    {"5.1", false, "5.1"},   {"10.0", false, "10.0"},
      {"6.4", false, "6.4"}, {"5.0 ", false, "5.0 "}, {" 5.2", false, " 5.2"}, {"6", false, "6"},
      {"", false, ""},       {"6.10", false, "6.10"},
  };
  for (const auto& c : cases) {
    std::string version = c.read;
    EXPECT_EQ(NormaliseOSVersion(version), c.supported) << '"' << c.read << '"';
    EXPECT_EQ(version, c.recorded) << '"' << c.read << '"';
  }
}

}  // namespace
}  // namespace velkor
