#include "excel_command_bars.h"

#include "addin/workbook/excel_ops.h"
#include "com/error_info.h"

namespace velmora {

com::ComPtr<Office::CommandBars> CommandBarsOf(excel::_Application* application) {
  if (!application) throw com::ComError(com::E_POINTER, u"Object variable not set");
  com::ComPtr<com::IDispatch> bars;
  workbook::Check(application->get_CommandBars(bars.Put()));
  if (!bars) throw com::ComError(com::E_POINTER, u"Object variable not set");
  com::ComPtr<Office::CommandBars> typed;
  workbook::Check(bars.As(&typed));
  return typed;
}

}  // namespace velmora
