#pragma once
// What one validation works on: the spreadsheet application whose active
// workbook is checked, and the folder holding the rule and position files
// (the module directory when the add-in runs).
#include <memory>
#include <string>

#include "addin/workbook/excel_ops.h"
#include "validation/script_engine.h"

namespace velmora {

struct ValidationContext {
  workbook::Application excel;
  std::string directory;  // GBK, ending with "/"
  // Where the run's script engines come from.
  std::shared_ptr<ScriptEngines> engines = std::make_shared<ScriptEngines>();
};

// The active workbook; "没有打开的工作簿" (no open workbook) when there is none,
// the error every step that needs one raises.
workbook::Workbook ActiveWorkbookOf(const workbook::Application& excel);

// A GBK text from a UTF-8 one: the texts of this library are written in
// UTF-8 in its sources and held in GBK.
std::string Gbk(const char* utf8);

}  // namespace velmora
