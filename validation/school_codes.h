#pragma once
// The school's codes as the rules see them: read from the information string
// in A40 of the active workbook's first sheet ("2010|dqdm|lsgxdm|xxlbdm|xxdm|
// xxmc|zgbm|dqmc"), cut at "|" with blank skipped. Each call reads A40 again.
// An empty A40 gives the empty text; an information string with too few
// items raises ListIndexError.
#include <string>

#include "addin/workbook/excel_ops.h"

namespace velmora {

std::string GetXxdm(const workbook::Application& excel);    // item 4, the school code
std::string GetXxlbDm(const workbook::Application& excel);  // item 3, the school-category code
std::string GetLsgxDm(const workbook::Application& excel);  // item 2, the affiliation code
std::string GetDqDm(const workbook::Application& excel);    // item 1, the region code

}  // namespace velmora
