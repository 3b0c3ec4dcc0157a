// The parser library's entry points behind the evaluation's seam: the tool
// runner's attempts and lines, and the search's OLE arrays, with recording
// stand-ins for the entry points.
#include "tools/tool_runner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "classify/tool_descriptors.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/phrase_list.h"
#include "support/fake_run_context.h"
#include "tools/tool_start.h"

namespace velkor {
namespace {

using ::testing::ElementsAre;
using testing::FakeRunContext;

// What the stand-in entry point saw and how it answers.
struct Recorder {
  std::vector<std::string> commands;
  int succeedOnCall = 0;  // 1-based; 0 never
  std::vector<std::string> fixedArguments;
  std::string outputFile;
} recorder;

void SetFailure(VARIANT* result, const char* text) {
  platform::Variant failure{std::string_view(text)};
  VariantClear(result);
  VariantCopy(result, failure.get());
}

int WINAPI RecordingExecute(VARIANT* command, VARIANT* parameters, VARIANT* a3, VARIANT* a4, VARIANT* a5,
                            VARIANT* a6, VARIANT* output, VARIANT* a8, VARIANT* result) {
  recorder.commands.push_back(platform::BstrToAnsi(command->bstrVal));
  recorder.fixedArguments = {platform::BstrToAnsi(parameters->bstrVal), platform::BstrToAnsi(a3->bstrVal),
                             platform::BstrToAnsi(a4->bstrVal),         platform::BstrToAnsi(a5->bstrVal),
                             platform::BstrToAnsi(a6->bstrVal),         platform::BstrToAnsi(a8->bstrVal)};
  recorder.outputFile = platform::BstrToAnsi(output->bstrVal);
  if (static_cast<int>(recorder.commands.size()) == recorder.succeedOnCall) {
    VariantClear(result);
    return 7;
  }
  SetFailure(result, "2");
  return 0;
}

// Searches answer "1" for every phrase holding "FAILED" and keep the phrases;
// a report named "absent" fails with "2".
std::vector<std::string> searchedPhrases;
int WINAPI RecordingParse(VARIANT* file, VARIANT* phrases, VARIANT* hits, VARIANT* result) {
  if (platform::BstrToAnsi(file->bstrVal).ends_with("absent")) {
    SetFailure(result, "2");
    return 0;
  }
  platform::Variant list;
  VariantCopy(list.get(), phrases);
  searchedPhrases.clear();
  PhraseList found;
  for (const auto& phrase : platform::ReadPhraseList(list)) {
    searchedPhrases.push_back(phrase.value_or("<none>"));
    found.emplace_back(phrase && phrase->find("FAILED") != std::string::npos ? "1" : "0");
  }
  platform::Variant answer;
  platform::StorePhraseList(found, answer);
  VariantCopy(hits, answer.get());
  VariantClear(result);
  return 1;
}

class ToolRunner : public ::testing::Test {
 protected:
  void SetUp() override {
    recorder = Recorder{};
    root = "C:\\velkor-tools-test\\";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root + "nexagent\\Config");
    ctx.InstallationPath = root;
  }
  std::string SupportToolsFolder() const {
    return platform::ShortPathName(platform::ExpandEnvironment("%ProgramFiles%") + "\\Support Tools\\");
  }
  int Run(int kind, const std::string& parameters = "") {
    const std::string command = PrepareToolRun(ctx, kind);
    return LibraryCalls(ctx, parser).Execute(command, parameters, kind, errorText);
  }
  void Configure(const char* section, const std::string& folder) {
    platform::IniWrite(root + "nexagent\\Config\\OrvaVardata.ini", section, "VALUE", folder);
  }

  FakeRunContext ctx;
  ParserEntryPoints parser{RecordingExecute, RecordingParse};
  std::string root;
  std::string errorText;
};

TEST_F(ToolRunner, FirstAttemptSuccessLogsAndPassesTheFixedArguments) {
  recorder.succeedOnCall = 1;
  errorText = "prev";
  EXPECT_EQ(Run(DcDiag, " /v"), 7);
  EXPECT_THAT(recorder.commands, ElementsAre("dcdiag.exe"));
  EXPECT_THAT(recorder.fixedArguments, ElementsAre(" /v", "yes", "", "1", "2", "no"));
  EXPECT_EQ(recorder.outputFile, root + "nexagent\\ApplicationLog\\Velkor\\VelkorTemp_DCDiag.txt");
  ASSERT_EQ(ctx.lines.size(), 1u);
  EXPECT_EQ(ctx.lines[0],
            (testing::LoggedLine{"ExecuteExe", "INFO", "lpNexExecute  Success",
                                 "lpNexExecute Success with error code prev Command is dcdiag.exe "
                                 "Parameter  /v",
                                 ""}));
  EXPECT_TRUE(ctx.statuses.empty());
}

TEST_F(ToolRunner, NetShareIsNotRetriedAndItsFailureIsReported) {
  EXPECT_EQ(Run(NetShare, " share"), 0);
  // Not beside the program: the 32-bit build on a 64-bit Windows starts the system's own from its native
  // folder.
  EXPECT_THAT(
      recorder.commands,
      ElementsAre(sizeof(void*) == 4 ? platform::WindowsDirectory() + "\\Sysnative\\net.exe" : "net"));
  EXPECT_EQ(errorText, "2");
  EXPECT_THAT(ctx.statuses, ElementsAre("net failed with Errorcode=2"));
  ASSERT_EQ(ctx.lines.size(), 1u);
  EXPECT_EQ(ctx.lines[0],
            (testing::LoggedLine{"ExecuteExe", "ERROR", "lpNexExecute  Failed",
                                 "lpNexExecute failed with error code 2 File name is net", ""}));
}

TEST_F(ToolRunner, SupportToolsThenConfiguredFolderWithABackslashAppended) {
  std::filesystem::create_directories(platform::ExpandEnvironment("%ProgramFiles%") + "\\Support Tools");
  ASSERT_FALSE(SupportToolsFolder().empty());  // the short form of the existing folder
  Configure("SUPPORTTOOLS", "D:\\tools\\");
  EXPECT_EQ(Run(DcDiag), 0);
  EXPECT_THAT(recorder.commands,
              ElementsAre("dcdiag.exe", SupportToolsFolder() + "dcdiag.exe", "D:\\tools\\\\dcdiag.exe"));
  EXPECT_THAT(ctx.statuses, ElementsAre("dcdiag.exe failed with Errorcode=2"));
  // Gone again: the end-to-end runs in this prefix expect no such folder.
  std::filesystem::remove(platform::ExpandEnvironment("%ProgramFiles%") + "\\Support Tools");
}

TEST_F(ToolRunner, PolicyChecksUseTheResourceKitFolders) {
  Configure("SUPPORTTOOLS", "D:\\support");
  Configure("RESOURCETOOLKITS", "D:\\reskit");
  Run(GpoDomainPolicy);
  const std::string kit = platform::ShortPathName(platform::ExpandEnvironment("%ProgramFiles%") +
                                                  "\\Windows Resource Kits\\Tools\\");
  EXPECT_THAT(recorder.commands, ElementsAre("gpotool.exe", kit + "gpotool.exe", "D:\\reskit\\gpotool.exe"));
  const std::string first = ctx.ToolOutputPath;
  (void)PrepareToolRun(ctx, GpoDomainControllerPolicy);
  EXPECT_NE(ctx.ToolOutputPath, first);
}

TEST_F(ToolRunner, NoThirdCallWithoutAFolderAndNoLineAfterALaterSuccess) {
  EXPECT_EQ(Run(RepAdmin), 0);
  EXPECT_EQ(recorder.commands.size(), 2u);
  ctx.statuses.clear();
  Configure("SUPPORTTOOLS", "D:\\tools");
  for (int call : {2, 3}) {
    recorder = Recorder{};
    recorder.succeedOnCall = call;
    ctx.lines.clear();
    EXPECT_EQ(Run(DcDiag), 7) << call;
    EXPECT_TRUE(ctx.lines.empty()) << call;
    EXPECT_TRUE(ctx.statuses.empty()) << call;
  }
}

TEST_F(ToolRunner, SearchesHandPhrasesAndHitsAsOleArrays) {
  ctx.ToolOutputPath = root + "report.txt";
  SearchHits hits;
  EXPECT_EQ(LibraryCalls(ctx, parser).Search({"dc FAILED test", "", "passed"}, hits, errorText), 1);
  // An empty phrase travels as a null text.
  EXPECT_THAT(searchedPhrases, ElementsAre("dc FAILED test", "<none>", "passed"));
  EXPECT_THAT(hits.hits, ElementsAre("1", "0", "0"));
  EXPECT_THAT(hits.phrases, ElementsAre("dc FAILED test", std::nullopt, "passed"));

  ctx.ToolOutputPath = root + "absent";
  SearchHits none;
  EXPECT_EQ(LibraryCalls(ctx, parser).Search({"x"}, none, errorText), 0);
  EXPECT_EQ(errorText, "2");
  EXPECT_TRUE(none.hits.empty());
  EXPECT_THAT(ctx.statuses, ElementsAre("lpNexParseFile failed with errorcode=2"));
}

}  // namespace
}  // namespace velkor
