// The status file as the agent reads it: XML without a declaration, so UTF-8,
// in DevadEZ under a name that holds the registration identifier as text.
#include "report/status_file.h"

#include <windows.h>
// After windows.h.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ini.h"
#include "support/fake_run_context.h"
#include "support/test_files.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

class StatusFile : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(kOutside);
    fs::create_directories(root + "Nexagent\\ApplicationLog\\Velkor");
  }
  void TearDown() override { fs::remove_all(kOutside); }

  // Every file below the test's folder, relative to it.
  std::vector<std::string> Files() const {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(kOutside))
      if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), kOutside).string());
    return files;
  }
  std::string Emitted(StatusContext& status) {
    platform::IniWrite(status.iniPath, "VELKOR", "STATUS", "2");
    EmitStatusFile(ctx, status);
    for (const auto& entry : fs::directory_iterator(root + "DevadEZ"))
      return testing::ReadWholeFile(entry.path());
    return "";
  }

  static constexpr char kOutside[] = "C:\\velkor-status-test\\";
  const std::string root = std::string(kOutside) + "agent\\";
  testing::FakeRunContext ctx;
};

TEST_F(StatusFile, CodePageLettersAreWrittenAsUtf8) {
  if (GetACP() != 1252) GTEST_SKIP() << "the expected bytes are those of code page 1252";
  StatusContext status{"", root + "Velkor.ini",
                       "Bases de donn\xE9"
                       "es.tsv",
                       root, "R\xE9"};
  platform::IniWrite(status.iniPath, "VELKOR", "ERRORDESC", "Acc\xE8s refus\xE9.");
  const std::string file = Emitted(status);
  ASSERT_FALSE(file.empty());
  EXPECT_NE(file.find("<regid>R\xC3\xA9</regid>"), std::string::npos) << file;
  EXPECT_NE(file.find("<dbname>Bases de donn\xC3\xA9"
                      "es.tsv</dbname>"),
            std::string::npos)
      << file;
  EXPECT_NE(file.find("<edesc><![CDATA[Acc\xC3\xA8s refus\xC3\xA9.]]></edesc>"), std::string::npos) << file;
}

// A registration identifier that reads as a path, or names a stream: the file
// still lands in DevadEZ and nowhere else, and the XML keeps the value.
TEST_F(StatusFile, RegistrationIdentifierIsOnlyTextInTheFileName) {
  StatusContext status{"", root + "Velkor.ini", "a.tsv", root, "x/../..\\..\\e:s*?\"<>|\x01"};
  const std::string file = Emitted(status);
  EXPECT_NE(file.find("<regid>x/../..\\..\\e:s*?\"&lt;&gt;|?</regid>"), std::string::npos) << file;
  std::vector<std::string> files = Files();
  std::sort(files.begin(), files.end());
  ASSERT_EQ(files.size(), 2u);
  EXPECT_TRUE(files[0].starts_with("agent\\DevadEZ\\radedavivururaz_N_x_.._.._.._e_s________velkor_"))
      << files[0];
  EXPECT_EQ(files[1], "agent\\Velkor.ini");
}

}  // namespace
}  // namespace velkor
