#pragma once
// The school list "xxinfo.txt" in the module directory: one school a line,
// cut at "," with "*" skipped at the start of an item, into the table the
// school picker shows.
#include <memory>
#include <string_view>

#include "platform/forms/client_dataset.h"

namespace velmora {

inline constexpr char kSchoolListFileName[] = "xxinfo.txt";

// A new, open table with the string fields lsgx 500, xxlb 500, dqdm 20,
// xxdm 500, xxmc 500, pyszm 500, zgbm 500, dqmc 500 and one record per line
// of the file (GBK path), in file order, positioned on the first. Items after
// the eighth are ignored; a line with fewer than eight items (an empty field,
// an empty line) raises std::out_of_range, the list's index error. A missing
// file raises FileError.
std::unique_ptr<forms::ClientDataSet> LoadSchoolList(std::string_view path);

}  // namespace velmora
