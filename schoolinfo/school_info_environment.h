#pragma once
// What the school information dialogs need from the library they run in:
// the current Excel application (the add-in's ExcelApp, which may be null)
// and the module directory with the data files. The add-in passes its own;
// tests and the command line pass theirs.
#include <functional>
#include <optional>
#include <string>

#include "addin/workbook/excel_ops.h"
#include "com/com_ptr.h"
#include "com/dispatch.h"

namespace velmora {

struct SchoolInfoEnvironment {
  // Asked whenever the dialog reaches Excel; null when there is none.
  std::function<com::ComPtr<com::IDispatch>()> excel_app;
  // Ends with the separator; data files are appended directly.
  std::string module_dir;
  // The date the header writers put on the first sheet; today's short date
  // unless set.
  std::function<std::string()> today;
};

// The application behind the dispatch pointer, or nothing when it is null
// or no spreadsheet application.
std::optional<workbook::Application> ExcelOf(const SchoolInfoEnvironment& environment);

}  // namespace velmora
