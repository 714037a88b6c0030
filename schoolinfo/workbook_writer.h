#pragma once
// Writing a school's information into its base-table workbook: the
// bookkeeping cells A40, E40 and T40 of the first sheet, the header cells of
// the four data sheets with the date, the cell locking, the first selection,
// and "info.txt". Works on Excel's active workbook; texts are GBK.
#include <optional>
#include <string>
#include <string_view>

#include "addin/workbook/base_table.h"
#include "addin/workbook/excel_ops.h"

namespace velmora {

// The dialog's texts as typed, in the order the header cells take them.
struct HeaderTexts {
  std::string xxdm, xxmc, lsgx_name, dqdm, dqmc, xxlb_name;
};

// Today's date in the system's short date format (this system's locale is
// the Chinese one: "2010-9-15", year, month and day without leading zeros).
std::string TodayShortDate();

// The header cells of one data sheet: row 4 school code, name, affiliation;
// row 5 region code, region name, category (each pair sharing its column);
// on the first sheet the date in row 6 of the third column.
struct HeaderColumns {
  int code, name, third;
};
HeaderColumns HeaderColumnsOf(base_table::Kind kind, int sheet);

// SetJiBiao1XXInfoOnExcel, SetJiBiao2XXInfoOnExcel, SetJiBiao3XXInfoOnExcel:
// for sheets 1 to 4, unprotect, write the header cells (code, name,
// affiliation, region code, region name, category; on sheet 1 the date
// last), protect with the standard options and EnableSelection 1; then save.
// A failure protects the sheet again and goes on.
void SetJiBiaoXXInfoOnExcel(const workbook::Application& excel, base_table::Kind kind,
                            const HeaderTexts& texts, std::string_view date);

// E40 of the first sheet, trimmed, names the kind: its header writer, the
// cell locking for that table and the first selection (C6:D6, D6:E6 or
// C6:F6, selected then activated). Any other E40 does nothing.
void SetXXinfoTitleOnExcel(const workbook::Application& excel, const std::string& module_dir,
                           const HeaderTexts& texts, std::string_view date);

// What SetXXinfoOnExcel was given besides the header texts.
struct WorkbookInfo {
  std::string info_string;    // GetXXinfoString
  std::string template_name;  // GetWhichJiBiao
  std::string year;           // the year box's text
};

enum class WriteOutcome { Written, WrongEdition };

// Saves the active workbook; when its A40 holds an information string but
// its T40 is not "2010", shows "请打开2010简易版文件进行修改" (title "提示")
// and writes nothing. Otherwise writes A40, E40 and T40, runs the title step
// (an error there is shown in a message box with its text, and the run goes
// on) and replaces "info.txt". Other errors travel on. With no active
// workbook, nothing happens.
WriteOutcome SetXXinfoOnExcel(const workbook::Application& excel, const std::string& module_dir,
                              const WorkbookInfo& info, const HeaderTexts& texts,
                              std::string_view date);

// True when the active workbook's E40 is not empty after trimming and,
// untrimmed, equals the template name.
bool CheckIsEdit(const std::optional<workbook::Application>& excel, std::string_view template_name);

}  // namespace velmora
