#pragma once
// The validate command behind the toolbar button and menu entry "校验": makes
// sure the active workbook is a 2010-edition base table of this system, puts
// its first sheet's protection into the standard state, saves it and opens
// the validation dialog. It checks no figures and shows no message of its
// own; Excel's errors travel to the caller.
#include <functional>

#include "addin/workbook/excel_ops.h"

namespace velmora {

// 1. no active workbook: return; 2. save; 3.–5. A40 of the first sheet blank,
// or not beginning with "2010": return; 6. unprotect and protect the first
// sheet again with the standard options; 7. save again; 8. open_dialog
// (the add-in opens "form2" through its loader).
void ValidateWorkbook(const workbook::Application& excel, const std::function<void()>& open_dialog);

}  // namespace velmora
