#pragma once
// The cells of a stored cell list ("1,12,5|2,8,3") as a person reads them:
// the name of the worksheet of that number and the A1 reference.
//
//   std::vector<CellRef> cells = CellRefs(excel, "1,10,7|2,8,3");  // 基本情况!G10, 经费收入!C8
#include <string>
#include <string_view>
#include <vector>

#include "addin/workbook/excel_ops.h"

namespace velmora::check {

struct CellRef {
  std::string sheet;  // UTF-8; empty when the position could not be read
  std::string ref;    // "G10"; the position as it stands when it could not be read
  bool operator==(const CellRef&) const = default;
};

// Every position of the list, in order; a position that cannot be parsed, or
// whose sheet the active workbook does not have, is given as it stands.
std::vector<CellRef> CellRefs(const workbook::Application& excel, std::string_view cell_list);

}  // namespace velmora::check
