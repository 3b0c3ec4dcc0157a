// The edges of the PDC role holder; the fuzz target role_holder checks both
// readings against plain models on any text.
#include "tools/role_holder.h"

#include <gtest/gtest.h>

#include <string>

namespace velkor {
namespace {

TEST(RoleHolder, HostIsNamedOnlyAsAWholeName) {
  // clang-format off
  const std::pair<const char*, bool> cases[] = {
      {"dc1.corp.example", true}, {"CORP\\DC1", true}, {"DC2 DC1\r\n", true}, {"PDC\tdc1.corp.example", true},
      {"DC10, DC1", true},  // a longer name first, then the host's own
      {"DC10", false}, {"MYDC1", false}, {"DC1-A", false}, {"X-DC1", false}, {"", false}};
  // clang-format on
  for (const auto& [text, named] : cases) EXPECT_EQ(NamesHost(text, "DC1"), named) << text;
  EXPECT_FALSE(NamesHost("DC1", ""));
}

TEST(RoleHolder, RoleLineHolderIsTheLastWordAfterABlank) {
  const std::pair<std::string, std::string> cases[] = {
      {"PDC role                    DC1.corp.example.com   \t \r\n", "DC1.corp.example.com"},
      {"PDC- - - - - - - - - - - - - DC2.domain.tld\n", "DC2.domain.tld"},
      {"PDC\tDC1.corp.example.com\t\n", "PDC\tDC1.corp.example.com"},
      {"   \n", ""},
  };
  for (const auto& [line, holder] : cases) EXPECT_EQ(RoleLineHolder(line), holder) << line;
}

}  // namespace
}  // namespace velkor
