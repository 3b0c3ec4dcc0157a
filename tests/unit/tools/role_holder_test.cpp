#include "tools/role_holder.h"

#include <gtest/gtest.h>

#include <string>

namespace velkor {
namespace {

TEST(RoleHolder, HostIsNamedOnlyAsAWholeName) {
  const struct {
    const char* text;
    bool named;
  } cases[] = {
      {"DC1", true},
      {"dc1.corp.example", true},
      {"DC2,DC1", true},
      {"CORP\\DC1", true},
      {"DC2 DC1\r\n", true},
      {"PDC\tdc1.corp.example", true},
      {"DC10, DC1", true},  // a longer name first, then the host's own
      {"DC10", false},
      {"MYDC1", false},
      {"DC1-A", false},
      {"X-DC1", false},
      {"DC10.corp.example,MYDC1", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(NamesHost(c.text, "DC1"), c.named) << c.text;
  EXPECT_FALSE(NamesHost("DC1", ""));
}

TEST(RoleHolder, RoleLineHolderIsTheLastWord) {
  const struct {
    std::string line;
    std::string holder;
  } cases[] = {
      {"PDC                         DC1.corp.example.com\n", "DC1.corp.example.com"},
      {"PDC role                    DC1.corp.example.com   \t \r\n", "DC1.corp.example.com"},
      {"PDC- - - - - - - - - - - - - DC2.domain.tld\n", "DC2.domain.tld"},
      {"PDC\tDC1.corp.example.com\t\n", "PDC\tDC1.corp.example.com"},
      {"PDC\n", "PDC"},
      {"   \n", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(RoleLineHolder(c.line), c.holder) << c.line;
}

}  // namespace
}  // namespace velkor
