// Dynamic libraries of the agent's components.
#pragma once

#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace velkor::platform {

inline Module LoadModule(const std::string& name) { return Module(LoadLibraryA(name.c_str())); }

template <class Function>
Function ModuleExport(const Module& module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module.get(), name)));
}

}  // namespace velkor::platform
