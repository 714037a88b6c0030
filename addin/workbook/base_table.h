#pragma once
// The conventions of a base-table workbook, in one place: the three kinds and
// their template names and files, the sheet numbers and the sheet code in
// J40, the bookkeeping cells of row 40 of the first sheet, the sheet password
// and the standard protection options, the guard that writes between an
// unprotect and a protect, and the cell position and cell list texts.
// Texts are GBK.
#include <string>
#include <string_view>
#include <vector>

#include "addin/workbook/excel_ops.h"

namespace velmora::base_table {

// ---------------------------------------------------------------- kinds
enum class Kind { None = 0, One = 1, Two = 2, Three = 3 };

// "基表1.xls", "基表2.xls", "基表3.xls" (GBK); empty for None.
std::string TemplateName(Kind kind);
// The template file in the module directory: "TANVIK1" to "TANVIK3".
std::string TemplateFile(Kind kind);
// The kind a template name stands for; None for any other text (no trimming:
// E40 must hold the name exactly).
Kind KindOfTemplateName(std::string_view gbk);

// ---------------------------------------------------------------- sheets
inline constexpr int kFirstSheet = 1;
inline constexpr int kDataSheetCount = 4;  // sheets 1 to 4
inline constexpr int kPrintSheet = 5;

// The sheet code the templates carry in J40 of data sheet n: "J1_n" in kind
// 1, "J2_n" in kind 2; kind 3 has codes of its own (empty here).
std::string SheetCode(Kind kind, int sheet);
// The sheet number a code names: its characters from the fourth on, as a
// decimal integer ("J1_2" is 2). Throws ConversionError otherwise.
int SheetNumberOfCode(std::string_view code);

// ---------------------------------------------------------------- row 40
struct CellAddress {
  int row;
  int column;
};
inline constexpr CellAddress kInfoStringCell{40, 1};       // A40: the school's information string
inline constexpr CellAddress kValidationFlagCell{40, 2};   // B40: "ok" or empty
inline constexpr CellAddress kTemplateNameCell{40, 5};     // E40: the template name
inline constexpr CellAddress kCellListCell{40, 6};         // F40: cell list of the failed rule last picked
inline constexpr CellAddress kSwitchCounterCell{40, 7};    // G40: the cell-switching counter
inline constexpr CellAddress kSheetCodeCell{40, 10};       // J40 of each data sheet: its code
inline constexpr CellAddress kYearCell{40, 20};            // T40: the year
inline constexpr char kYear[] = "2010";
inline constexpr char kValidationOk[] = "ok";

std::string ReadCell(const workbook::Worksheet& sheet, CellAddress cell);  // its cell text
void WriteCell(const workbook::Worksheet& sheet, CellAddress cell, std::string_view gbk);

// ---------------------------------------------------------------- protection
inline constexpr char kSheetPassword[] = "Kq7vXr42ZpmLt";

struct ProtectOptions {
  bool drawing_objects = false;
  bool contents = true;
  bool scenarios = true;
  bool user_interface_only = false;
};
inline constexpr ProtectOptions kStandardProtection{};

// Protect with the sheet password and the standard options; unprotect with the password.
void ProtectSheet(const workbook::Worksheet& sheet);
void UnprotectSheet(const workbook::Worksheet& sheet);

// What follows the protect: the writers of the school information also set
// EnableSelection 1, so that only unlocked cells can be selected.
enum class AfterProtect { Nothing, UnlockedCellsOnly };

// Writes between an unprotect and a protect, and protects again on every
// path. The constructor unprotects (a failure there throws and leaves the
// sheet as it was). Protect() protects with the standard options and throws
// what fails. If the guard is left without a successful Protect() (an error
// is on its way, or Protect() itself failed), the destructor protects again
// and lets the first error be the one reported.
//
//   base_table::UnprotectedSheet guard(first);
//   base_table::WriteCell(first, base_table::kCellListCell, cell_list);
//   guard.Protect();
class UnprotectedSheet {
 public:
  explicit UnprotectedSheet(workbook::Worksheet sheet, AfterProtect after = AfterProtect::Nothing);
  UnprotectedSheet(const UnprotectedSheet&) = delete;
  UnprotectedSheet& operator=(const UnprotectedSheet&) = delete;
  ~UnprotectedSheet();

  void Protect();
  const workbook::Worksheet& sheet() const { return sheet_; }

 private:
  void ProtectNow();
  workbook::Worksheet sheet_;
  AfterProtect after_;
  bool protected_ = false;
};

// ---------------------------------------------------------------- positions
// A cell of the workbook: sheet number, row and column, 1-based.
struct CellPosition {
  int sheet = 0;
  int row = 0;
  int column = 0;
  bool operator==(const CellPosition&) const = default;
};

// "3,12,5".
std::string CellPositionText(const CellPosition& position);
// Positions joined by "|": "1,12,5|2,8,3".
std::string CellListText(const std::vector<CellPosition>& positions);
// Cut at "," with blank skipped; fewer than three items, or one that is no
// decimal integer, throws (ConversionError or std::invalid_argument).
CellPosition ParseCellPosition(std::string_view text);
// Cut at "|" with blank skipped, then each position.
std::vector<CellPosition> ParseCellList(std::string_view text);

}  // namespace velmora::base_table
