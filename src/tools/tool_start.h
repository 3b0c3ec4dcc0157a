// Starting a diagnostic tool: where a tool named by its bare name is started
// from, and which failures mean that it ran and was ended.
//
// Where a tool named by its bare name is started from. A 32-bit Velkor on a
// 64-bit Windows sees the 32-bit system folder in place of the native one,
// and the directory tools (dcdiag, repadmin, netdom) exist only as native
// programs: the system names the native folder "Sysnative" for such a
// process. Portable: the Windows side gathers the facts.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/run_context.h"

namespace velkor {

struct ToolSearch {
  bool wow64 = false;           // a 32-bit process on a 64-bit Windows
  std::string programFolder;    // Velkor.exe's folder, with a trailing backslash
  std::string currentFolder;    // the working folder where programs are looked for there, else empty
  std::string sysnativeFolder;  // "%windir%\Sysnative\"
  std::function<bool(const std::string&)> isFile;
};

// The command to hand the parser library for `command`: unchanged, except a
// bare name (no folder in it) under WOW64 that lies neither beside Velkor.exe
// (nor in the working folder, where that is searched) but in the native system
// folder, which becomes that file's full path: the native folder takes the
// place of the system folder in the usual search. A name without an extension
// is looked for with ".exe", as a program is started.
std::string NativeToolCommand(std::string_view command, const ToolSearch& search);

// Sets ToolOutputPath to the output file of the full run's tool of `kind`
// and returns its executable; an unknown kind gives "" and the log folder alone.
std::string PrepareToolRun(RunContext& ctx, int kind);

// True when the parser library's error text says the tool ran and was ended
// at one of its limits: past its time limit (1460, or 258) or past the output
// cap (223). Starting such a tool again from another folder would only cost
// another time limit.
bool ToolWasEndedAtItsLimits(std::string_view errorText);

}  // namespace velkor
