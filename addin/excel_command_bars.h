#pragma once
// Application.CommandBars: the host's command bars, through the application
// object the host passed at connection. A failure raises com::ComError with
// the host's description.
#include "com/com_ptr.h"
#include "com/dispatch.h"
#include "office_tlb.h"

namespace velmora {

com::ComPtr<Office::CommandBars> CommandBarsOf(com::IDispatch* application);

}  // namespace velmora
