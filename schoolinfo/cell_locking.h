#pragma once
// Cell locking by affiliation and category: lock lists in the module
// directory name the cells of a block, one cell a line ("J2_3|label|12,5":
// sheet code, a label nobody reads, row and column); a fixed decision table
// chooses the lists, and the mode to apply each with, from the school's
// codes in A40. A locked cell is greyed (colour index 15), an unlocked one
// gets colour index 0.
#include <string>
#include <string_view>
#include <vector>

#include "addin/workbook/excel_ops.h"

namespace velmora {

// What the decision reads from the information string, cut at "|" with
// blank skipped.
struct LockKeys {
  std::string lsgx_first;       // first character of item 2, the affiliation code
  std::string region_prefix;    // first four characters of item 1 when longer than 3, else "0"
  std::string category;         // item 3, unchanged
  std::string category_first;   // first character of item 3
  std::string category_prefix;  // first three characters of item 3 when longer than 2, else "0"
};
// Fewer than four items raise std::out_of_range.
LockKeys DeriveLockKeys(std::string_view info_string);

enum class LockMode { Lock = 0, Unlock = 1 };

// One list of the decision: its file, its mode, and whether it is a list of
// base table 1 (applied with the D11 step).
struct LockListStep {
  std::string file;
  LockMode mode;
  bool table1;
  bool operator==(const LockListStep&) const = default;
};

// The lists for the base table (1, 2 or 3) and the keys, in the order they
// are applied; none for another table number.
std::vector<LockListStep> LockListsFor(int table, const LockKeys& keys);

// Applies one lock list (a file in module_dir) to the active workbook. For
// every line: reads the sheet number and the cell (a malformed line raises
// before anything of it is touched), unprotects the sheet and selects it,
// selects the cell and greys it (15), then locks the selection (Lock) or
// unlocks it and clears the grey to 0 (Unlock); a table-1 list then selects
// D11 of that sheet and sets its colour to 0; the sheet is protected again
// with the standard options and EnableSelection 1, also when a step failed
// (the error goes on). After the last line the first sheet is selected.
void SetCellsLockBiaoByFileName(const workbook::Application& excel, const std::string& module_dir,
                                std::string_view file, LockMode mode, bool table1 = false);

// Chooses the lists for the school in A40 of the active workbook's first
// sheet and applies them in order.
void SetCellsLockBiao(const workbook::Application& excel, const std::string& module_dir, int table);

}  // namespace velmora
