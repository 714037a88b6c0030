#pragma once
// The marks of a failed rule's cells in the workbook. A mark is the fill
// colour index 38 (rose); it is removed by setting no fill (-4142). Only
// unlocked cells (the input cells) are coloured or cleared. The cell list of
// the row last picked lies in F40 of the first sheet, G40 being the
// cell-switching counter. Every write to a sheet goes between an unprotect
// with the sheet password and a protect with the standard options; the
// guard protects the sheet again also when a call in between fails.
#include <functional>
#include <string_view>

#include "addin/workbook/excel_ops.h"

namespace velmora {

inline constexpr long kErrorCellColor = 38;
inline constexpr long kNoFill = -4142;  // xlNone

// Stores the cell list in F40 and empties G40; the workbook is not saved.
void SetXxCellInfoOnExcel(const workbook::Application& excel, std::string_view cell_list);

// Activates worksheet sheet_number, colours the cell when unlocked and
// selects it (locked or not). Errors travel to the caller.
void MarkErrorCell(const workbook::Application& excel, int sheet_number, int row, int column);

// Flag 0 removes the mark of one cell of sheet sheet_number (counting all
// sheets), any other flag sets it, when the cell is unlocked; then saves
// the workbook.
void SetXxCellColorOnExcel(const workbook::Application& excel, int sheet_number, int row, int column, int flag);

// Removes the marks of the cells F40 lists, saving once per cell. An error
// stops the clearing with a message box showing its text.
void ClearCellInfo(const workbook::Application& excel);

// The cell positions of a cell list, each cut at "," with blank skipped and
// its items 0, 1 and 2 converted as decimal integers, passed on in order.
// A position with missing or non-integer items raises the conversion or
// index error when it is reached.
void ForEachCellPosition(std::string_view cell_list, const std::function<void(int sheet, int row, int column)>& visit);

}  // namespace velmora
