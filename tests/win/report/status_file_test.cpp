// The status file as the agent reads it: XML without a declaration, so UTF-8.
#include "report/status_file.h"

#include <windows.h>
// After windows.h.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/ini.h"
#include "support/fake_run_context.h"
#include "support/test_files.h"

namespace velkor {
namespace {

TEST(StatusFile, CodePageLettersAreWrittenAsUtf8) {
  if (GetACP() != 1252) GTEST_SKIP() << "the expected bytes are those of code page 1252";
  const std::string root = "C:\\velkor-status-test\\";
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root + "Nexagent\\ApplicationLog\\Velkor");
  testing::FakeRunContext ctx;
  StatusContext status{"", root + "Velkor.ini",
                       "Bases de donn\xE9"
                       "es.tsv",
                       root, "R\xE9"};
  platform::IniWrite(status.iniPath, "VELKOR", "STATUS", "2");
  platform::IniWrite(status.iniPath, "VELKOR", "ERRORDESC", "Acc\xE8s refus\xE9.");
  WriteStatusFile(ctx, status);
  const std::string file = testing::ReadWholeFile(status.statusFilePath);
  EXPECT_NE(file.find("<regid>R\xC3\xA9</regid>"), std::string::npos) << file;
  EXPECT_NE(file.find("<dbname>Bases de donn\xC3\xA9"
                      "es.tsv</dbname>"),
            std::string::npos)
      << file;
  EXPECT_NE(file.find("<edesc><![CDATA[Acc\xC3\xA8s refus\xC3\xA9.]]></edesc>"), std::string::npos) << file;
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace velkor
