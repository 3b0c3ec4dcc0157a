// The process's last-chance handler for structured exceptions (an access
// violation and the like) that nothing else handles.
#pragma once

namespace velkor::platform {

// From now on the first such fault runs `handle`, and the process then ends at
// once with exit code 0, running none of its remaining code. A fault while
// `handle` runs ends the process with 0 straight away.
void InstallLastChanceHandler(void (*handle)() noexcept);

}  // namespace velkor::platform
