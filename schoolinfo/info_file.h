#pragma once
// Where the information string is kept: A40 of a base-table workbook's first
// sheet, and "info.txt" in the module directory, which holds the string of
// the school written last as its one line (CR LF, GBK).
#include <optional>
#include <string>
#include <string_view>

#include "addin/workbook/excel_ops.h"

namespace velmora {

inline constexpr char kInfoFileName[] = "info.txt";

// The information string to start the dialog from: with no active workbook
// (or no Excel at all) the empty text; else A40 of the active workbook's
// first sheet when it is not empty; else the first line of "info.txt" in
// module_dir when there is one; else the empty text. Errors from Excel
// while reading A40 travel on.
std::string GetXXInfo(const std::optional<workbook::Application>& excel,
                      const std::string& module_dir);

// Replaces "info.txt" in module_dir by the one line (created when missing).
// Throws FileError.
void SaveInfoFile(const std::string& module_dir, std::string_view info);

}  // namespace velmora
