#include "workbook_writer.h"

#include <chrono>
#include <ctime>
#include <exception>

#include "addin/text/conversions.h"
#include "cell_locking.h"
#include "gbk.h"
#include "info_file.h"
#include "platform/forms/application.h"
#include "platform/win/message_box.h"

namespace velmora {

using base_table::Kind;

std::string TodayShortDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return std::to_string(local.tm_year + 1900) + "-" + std::to_string(local.tm_mon + 1) + "-" +
         std::to_string(local.tm_mday);
}

HeaderColumns HeaderColumnsOf(Kind kind, int sheet) {
  constexpr int C = 3, D = 4, F = 6, G = 7, H = 8, I = 9, J = 10, K = 11, M = 13, N = 14, O = 15,
                Q = 17;
  if (sheet == 1) {
    switch (kind) {
      case Kind::One:
        return {C, G, N};
      case Kind::Two:
        return {D, H, O};
      case Kind::Three:
        return {C, I, Q};
      case Kind::None:
        break;
    }
    return {};
  }
  if (sheet == 3) return kind == Kind::Three ? HeaderColumns{C, G, K} : HeaderColumns{C, G, M};
  if (sheet == 2 && kind == Kind::Three) return {C, F, J};
  return {C, F, K};
}

void SetJiBiaoXXInfoOnExcel(const workbook::Application& excel, Kind kind, const HeaderTexts& t,
                            std::string_view date) {
  std::optional<workbook::Workbook> book = excel.ActiveWorkbook();
  if (!book) return;
  for (int n = 1; n <= base_table::kDataSheetCount; ++n) {
    const HeaderColumns col = HeaderColumnsOf(kind, n);
    base_table::UnprotectedSheet guard(book->Sheet(n), base_table::AfterProtect::UnlockedCellsOnly);
    const workbook::Worksheet& sheet = guard.sheet();
    sheet.Write(4, col.code, t.xxdm);
    sheet.Write(4, col.name, t.xxmc);
    sheet.Write(4, col.third, t.lsgx_name);
    sheet.Write(5, col.code, t.dqdm);
    sheet.Write(5, col.name, t.dqmc);
    sheet.Write(5, col.third, t.xxlb_name);
    if (n == 1) sheet.Write(6, col.third, date);
    guard.Protect();
  }
  book->Save();
}

void SetXXinfoTitleOnExcel(const workbook::Application& excel, const std::string& module_dir,
                           const HeaderTexts& texts, std::string_view date) {
  std::optional<workbook::Workbook> book = excel.ActiveWorkbook();
  if (!book) return;
  const std::string e40 = Trim(
      base_table::ReadCell(book->Sheet(base_table::kFirstSheet), base_table::kTemplateNameCell));
  const Kind kind = base_table::KindOfTemplateName(e40);
  if (kind == Kind::None) return;
  SetJiBiaoXXInfoOnExcel(excel, kind, texts, date);
  SetCellsLockBiao(excel, module_dir, static_cast<int>(kind));
  const int last_column = kind == Kind::One ? 4 : kind == Kind::Two ? 5 : 6;
  const int first_column = kind == Kind::Two ? 4 : 3;
  workbook::Range range =
      book->Sheet(base_table::kFirstSheet).Between(6, first_column, 6, last_column);
  range.Select();
  range.Activate();
}

WriteOutcome SetXXinfoOnExcel(const workbook::Application& excel, const std::string& module_dir,
                              const WorkbookInfo& info, const HeaderTexts& texts,
                              std::string_view date) {
  std::optional<workbook::Workbook> book = excel.ActiveWorkbook();
  if (!book) return WriteOutcome::Written;
  workbook::Worksheet first = book->Sheet(base_table::kFirstSheet);
  book->Save();
  if (!Trim(base_table::ReadCell(first, base_table::kInfoStringCell)).empty() &&
      Trim(base_table::ReadCell(first, base_table::kYearCell)) != base_table::kYear) {
    win::MessageBox(schoolinfo::G("请打开2010简易版文件进行修改"), schoolinfo::G("提示"),
                    win::MB_OK);
    return WriteOutcome::WrongEdition;
  }
  base_table::WriteCell(first, base_table::kInfoStringCell, info.info_string);
  base_table::WriteCell(first, base_table::kTemplateNameCell, info.template_name);
  base_table::WriteCell(first, base_table::kYearCell, info.year);
  try {
    SetXXinfoTitleOnExcel(excel, module_dir, texts, date);
  } catch (const std::exception& error) {
    forms::ShowException(error);
  }
  SaveInfoFile(module_dir, info.info_string);
  return WriteOutcome::Written;
}

bool CheckIsEdit(const std::optional<workbook::Application>& excel,
                 std::string_view template_name) {
  if (!excel) return false;
  std::optional<workbook::Workbook> book = excel->ActiveWorkbook();
  if (!book) return false;
  const std::string e40 =
      base_table::ReadCell(book->Sheet(base_table::kFirstSheet), base_table::kTemplateNameCell);
  if (Trim(e40).empty()) return false;
  return e40 == template_name;
}

}  // namespace velmora
