#include "tools/pdc_role.h"

#include <stdexcept>

#include "classify/tool_descriptors.h"
#include "core/guard.h"
#include "core/line_reader.h"
#include "core/text.h"
#include "core/text_limits.h"
#include "platform/ini.h"
#include "tools/execute_call.h"
#include "tools/role_holder.h"

namespace velkor {
namespace {

constexpr std::size_t kRoleHoldersBuffer = 512;
constexpr std::size_t kNetDomPath = 511;
constexpr std::size_t kLineBuffer = 2048;  // a longer line is read in pieces
constexpr std::size_t kHolderText = 255;
constexpr std::string_view kModule = "CheckForPDCRole";

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = AsciiUpper(c);
  return upper;
}

// The agent's list of role holders decides: 1 when it names this host.
int DecideFromRoleHolders(RunContext& ctx, const std::string& value) {
  const std::string holders = UpperCase(value);
  ctx.HostName = UpperCase(ctx.HostName);
  if (NamesHost(holders, ctx.HostName)) {
    ctx.DebugTrace("PDCRoleStatus=1");
    ctx.LogActivity(kModule, "INFO", "PDC Role Find in ini file value and Hostname", holders, ctx.HostName);
    return 1;
  }
  ctx.DebugTrace("PDCRoleStatus=0");
  ctx.LogActivity(kModule, "INFO", "PDC Role value not found in ini file", "", "");
  return 0;
}

// netdom's report decides: 1 when a line holding "PDC" ends with this host's name.
int DecideFromNetDomReport(RunContext& ctx, const std::string& path) {
  CFile file = OpenCFile(path, "rb");
  if (!file) {
    const std::uint32_t code = ctx.LastSystemError();
    ctx.LogActivity(kModule, "ERROR", "opening the file failed with errorcode ", std::to_string(code), "");
    return 0;
  }
  LineReader reader(file.get(), kLineBuffer - 1);
  for (std::string read; reader.Next(read);) {
    const std::string line = UpperCase(read);
    if (line.find("PDC") == std::string::npos) continue;
    ctx.HostName = UpperCase(ctx.HostName);
    const std::string holder = Bounded(RoleLineHolder(line), kHolderText);
    if (NamesHost(holder, ctx.HostName)) {
      ctx.DebugTrace("PDC found in Netdom.txt PDCRoleStatus=1");
      file.reset();
      ctx.LogActivity(kModule, "INFO", "PDC Role Find in the netdom query fsmo", holder, ctx.HostName);
      return 1;
    }
  }
  file.reset();
  ctx.LogActivity(kModule, "INFO", "PDC Role not Find in the netdom query fsmo file ", "", "");
  return 0;
}

}  // namespace

int CheckForPDCRole(RunContext& ctx, const ParserEntryPoints& parser) {
  return Guarded(ctx, StandardHandler(kModule), [&] {
    const std::string value =
        platform::IniReadString(ctx.InstallationPath + "nexagent\\Config\\OrvaVardata.ini", "PDC ROLE",
                                "VALUE", "", kRoleHoldersBuffer);
    if (!value.empty()) return DecideFromRoleHolders(ctx, value);
    const std::string outputPath =
        Bounded(ctx.InstallationPath + std::string(RoleHolderQuery().outputPath), kNetDomPath);
    if (ExecuteNetDomEXE(ctx, parser, outputPath) != 1) {
      ctx.LogActivity(kModule, "INFO", "Execution of netdom query fsmo failed ", "", "");
      ctx.DebugTrace("netdom query execute failed");
      ctx.DebugTrace("PDCRoleStatus=0");
      return 0;
    }
    return DecideFromNetDomReport(ctx, outputPath);
  });
}

int ExecuteNetDomEXE(RunContext& ctx, const ParserEntryPoints& parser, const std::string& outputPath) {
  return Guarded(ctx, StandardHandler("ExecuteNetDomEXE"), [&]() -> int {
    if (parser.execute == nullptr) throw std::runtime_error("str_nexexecute is not loaded");
    const ToolDescriptor& query = RoleHolderQuery();
    ExecuteCall call(std::string(query.parameters), outputPath);
    call.Run(parser.execute, std::string(query.executable));
    if (call.Succeeded()) {
      ctx.LogActivity(
          "ExecuteNetDomEXE", "INFO", "lpNexExecute  Success",
          "lpNexExecute Success with error code  Command is Netdom query fsmo Parameter NULL Status "
          "Success",
          "");
      return 1;
    }
    ctx.LogActivity(
        "ExecuteNetDomEXE", "ERROR", "lpNexExecute  Failed",
        "lpNexExecute failed with error code " + call.ErrorText() + " File name is Netdom query fsmo", "");
    return 0;
  });
}

}  // namespace velkor
