#pragma once
// Application.CommandBars: the host's Office command bars, through the
// application kept in ExcelApp. A failure raises com::ComError with the
// host's description.
#include "com/com_ptr.h"
#include "excel/com/excel.h"
#include "office_tlb.h"

namespace velmora {

com::ComPtr<Office::CommandBars> CommandBarsOf(excel::_Application* application);

}  // namespace velmora
