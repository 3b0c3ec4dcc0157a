// The process list and ending other processes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace velkor::platform {

std::uint32_t CurrentProcessId();
// Walks a snapshot of all processes, calling `visit` (id, executable file name)
// for each. Returns 0, or the Windows error code when no snapshot could be taken.
std::uint32_t ForEachProcess(const std::function<void(std::uint32_t id, const std::string& exeName)>& visit);
// Ends the process `id` with exit code 259 when it can be opened, is still
// running and is still named `exeName` (any letter case): the id of a program
// that ended since the list was taken may belong to another one by now. Then
// waits up to `waitMs` for it to be gone, so that what it held is free.
// Anything that fails is passed over.
void EndProcessIfStillNamed(std::uint32_t id, const std::string& exeName, unsigned waitMs);

}  // namespace velkor::platform
