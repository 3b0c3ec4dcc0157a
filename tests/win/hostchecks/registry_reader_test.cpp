#include "hostchecks/registry_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/registry.h"
#include "registry_sandbox.h"

namespace velkor {
namespace {

using testing::RegistrySandbox;

constexpr char kAgentKey[] = "SOFTWARE\\VelkorHostChecksTest\\Agent";

TEST(RegistryReader, AgentValueIsReadAsText) {
  RegistrySandbox registry;
  registry.SetText(kAgentKey, "InstallationPath", "C:\\Agent\\");
  CRegistry reader;
  std::string out;
  EXPECT_TRUE(reader.ReadAgentValue(kAgentKey, "InstallationPath", out));
  EXPECT_EQ(out, "C:\\Agent\\");
  EXPECT_EQ(reader.LastErrorText(), "");
}

TEST(RegistryReader, MissingValueLeavesOutUnchangedAndNamesKeyAndValue) {
  RegistrySandbox registry;
  registry.SetText(kAgentKey, "InstallationPath", "C:\\Agent\\");
  CRegistry reader;
  std::string out = "as before";
  EXPECT_FALSE(reader.ReadAgentValue(kAgentKey, "REGID", out));
  EXPECT_EQ(out, "as before");
  EXPECT_EQ(reader.LastErrorText(), std::string("RegQueryValueEx sec = ") + kAgentKey +
                                        " key = REGID [2]::" + platform::SystemMessage(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(reader.ReadAgentValue(kAgentKey, "InstallationPath", out));  // a new read starts clean
  EXPECT_EQ(reader.LastErrorText(), "");
}

TEST(RegistryReader, MissingKeyGivesTheOpenFailure) {
  CRegistry reader;
  std::string out = "as before";
  EXPECT_FALSE(reader.ReadAgentValue("SOFTWARE\\VelkorHostChecksTest\\Absent", "REGID", out));
  EXPECT_EQ(out, "as before");
  EXPECT_EQ(reader.LastErrorText(), "RegOpenKeyEx [2]::" + platform::SystemMessage(ERROR_FILE_NOT_FOUND));
}

TEST(RegistryReader, ValueFillingTheWholeBufferIsKeptWholeAndALongerOneFails) {
  RegistrySandbox registry;
  registry.SetBytes(kAgentKey, "Full", std::string(1024, 'x'));
  registry.SetBytes(kAgentKey, "TooLong", std::string(1025, 'y'));
  CRegistry reader;
  std::string out;
  EXPECT_TRUE(reader.ReadAgentValue(kAgentKey, "Full", out));
  EXPECT_EQ(out, std::string(1024, 'x'));
  EXPECT_FALSE(reader.ReadAgentValue(kAgentKey, "TooLong", out));
  EXPECT_EQ(out, std::string(1024, 'x'));
  EXPECT_EQ(reader.LastErrorText().rfind(
                std::string("RegQueryValueEx sec = ") + kAgentKey + " key = TooLong [234]::", 0),
            0u)
      << reader.LastErrorText();
}

}  // namespace
}  // namespace velkor
