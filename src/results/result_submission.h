// Handing the status of one function ID of one monitoring database to the
// agent's result component.
#pragma once

#include <string>

#include "core/run_context.h"
#include "platform/ole.h"
#include "results/database_component.h"

namespace velkor {

// Stores `status` and `errorCode` for `functionId` in `database` (an element
// of the component's paths array) and logs the outcome. A submission the
// component rejects is logged with its error text and not retried. Any
// exception, a failing call or a client without a component among them, ends
// the run through the handler (module "SetFuncIDStat").
void SetFuncIDStat(RunContext& ctx, ResultComponentClient& component, const std::string& functionId,
                   const platform::Variant& database, const std::string& status,
                   const std::string& errorCode);

}  // namespace velkor
