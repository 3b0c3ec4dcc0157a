// Where the agent lives: its registry key, installation path, registration
// identifier, folders and INI file.
#pragma once

#include <optional>
#include <string>

#include "core/run_context.h"

namespace velkor {

// "SOFTWARE\Wow6432Node\ZOVEZO" when "Program Files (x86)" exists on the system drive, else
// "SOFTWARE\ZOVEZO".
std::string AgentKeyPathForThisSystem();
bool HasProgramFilesX86();

// One value of the agent's key in the 32-bit view, read into a 1024-byte
// buffer as a C string reads the returned bytes; without a value, `failure`
// names the open or the query that failed:
// "RegOpenKeyEx [<code>]::<system text>" or
// "RegQueryValueEx sec = <key> key = <value> [<code>]::<system text>".
struct AgentValue {
  std::optional<std::string> value;
  std::string failure;
};
AgentValue ReadAgentValue(const std::string& agentKeyPath, const std::string& valueName);

// Installation path and registration identifier (with the orvamobile.ini fallback).
// False when no installation path was found, or the one found is empty: the
// run must end silently.
bool ReadAgentLocations(RunContext& ctx);

// Creates Nexagent\Config (every missing level) and fixes AgentIniPath; creates the log folders.
void CreateConfigDirectory(RunContext& ctx);
void CreateAppLogDirectory(RunContext& ctx);

}  // namespace velkor
