// The service control manager, asked only what a status query needs: a
// connection to the manager and the right to query one service's status.
// An account without administrative rights is granted both.
#pragma once

#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace velkor::platform {

// The local machine's service manager (default database) with connect access;
// empty on failure, with the reason in the last Windows error.
ScHandle ConnectServiceManager();

// `name` on `manager`, with the right to query its status; empty on failure,
// with the reason in the last Windows error.
ScHandle OpenServiceForStatus(const ScHandle& manager, const std::string& name);

// The service's current state (SERVICE_RUNNING, SERVICE_STOPPED, ...) from
// QueryServiceStatusEx; false on failure, with the reason in the last Windows error.
bool QueryServiceState(const ScHandle& service, DWORD& currentState);

}  // namespace velkor::platform
