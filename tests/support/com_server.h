// Registering an in-process COM server for tests, in the registry view of
// this process's width, which is the width of the DLLs built with it.
#pragma once

#include <windows.h>

#include <string>

#include "platform/handles.h"
#include "platform/library.h"

namespace velkor::testing {

// Runs "regsvr32 /s [/u] <dll>" from this process's System32 folder (under
// WoW64 a 32-bit process finds the 32-bit regsvr32 there) and returns its
// exit code; 0xFFFFFFFF when it cannot run.
inline DWORD RunRegsvr32(const std::string& dll, bool unregister) {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string exe = std::string(system) + "\\regsvr32.exe";
  std::string commandLine = "regsvr32.exe /s " + std::string(unregister ? "/u " : "") + "\"" + dll + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &info))
    return 0xFFFFFFFF;
  platform::Handle process(info.hProcess);
  platform::Handle thread(info.hThread);
  DWORD code = 0xFFFFFFFF;
  if (WaitForSingleObject(process.get(), 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.get(), &code);
  return code;
}

// Calls the DLL's DllRegisterServer (or DllUnregisterServer) in this process.
inline HRESULT SelfRegister(const std::string& dll, bool unregister) {
  using RegisterFn = HRESULT(STDAPICALLTYPE*)();
  const platform::Module library = platform::LoadModule(dll);
  const auto call =
      platform::ModuleExport<RegisterFn>(library, unregister ? "DllUnregisterServer" : "DllRegisterServer");
  return call != nullptr ? call() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

}  // namespace velkor::testing
