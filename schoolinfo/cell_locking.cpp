#include "cell_locking.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "addin/text/conversions.h"
#include "addin/text/item_split.h"
#include "addin/text/string_ops.h"
#include "addin/text/text_file.h"
#include "addin/workbook/base_table.h"
#include "gbk.h"

namespace velmora {

namespace {

const std::string& Item(const std::vector<std::string>& items, std::size_t index) {
  if (index >= items.size())
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  return items[index];
}

std::string PrefixOrZero(std::string_view item, std::size_t longer_than, std::size_t count) {
  std::string trimmed(item.substr(std::min(item.find_first_not_of(' '), item.size())));
  return item.size() > longer_than ? trimmed.substr(0, count) : "0";
}

}  // namespace

LockKeys DeriveLockKeys(std::string_view info_string) {
  const std::vector<std::string> items = SplitItems(info_string, "|", " ");
  LockKeys keys;
  keys.lsgx_first = schoolinfo::FirstChar(Item(items, 2));
  keys.region_prefix = PrefixOrZero(Item(items, 1), 3, 4);
  keys.category = Item(items, 3);
  keys.category_first = schoolinfo::FirstChar(keys.category);
  keys.category_prefix = PrefixOrZero(keys.category, 2, 3);
  return keys;
}

std::vector<LockListStep> LockListsFor(int table, const LockKeys& k) {
  const auto prefix = [&](std::initializer_list<const char*> any) {
    for (const char* p : any)
      if (k.category_prefix == p) return true;
    return false;
  };
  std::vector<LockListStep> lists;
  const auto add = [&](bool condition, const char* file, LockMode mode) {
    if (condition) lists.push_back({file, mode, table == 1});
  };
  using enum LockMode;
  switch (table) {
    case 1:
      add(k.lsgx_first == "1", "lsgxJ1-1.txt", Lock);
      add(k.lsgx_first != "1", "lsgxJ1-2.txt", Lock);
      break;
    case 2:
      add(prefix({"413", "414"}) || k.category_first == "6", "lsgxJ2_2ywjyxzf_1.txt", Lock);
      add(k.category == "91" || k.category == "92", "lsgxJ2_2jyxzsydwbtb_2.txt", Lock);
      add(k.category == "91", "lsgxJ2_2jnygzbczl_4.txt", Lock);
      add(prefix({"412"}), "lsgxJ2_1wzbczl_3.txt", Unlock);
      add(prefix({"414"}), "lsgxJ2_1jnygzbczl_4.txt", Unlock);
      add(prefix({"415"}), "lsgxJ2_1snnygzbczl_5.txt", Unlock);
      add(prefix({"931", "932", "933", "934"}), "lsgxJ2_1dxxzxybczl_6.txt", Unlock);
      break;
    case 3:
      add(k.region_prefix == "6553" && (k.category_first == "6" || prefix({"413", "414"})),
          "_1J3_2_btywjyxzf.txt", Lock);
      add(k.lsgx_first == "1", "_2J3_2_lszydbtdfjyfj.txt", Lock);
      add(prefix({"412"}), "_3J3_1_gdxxbczl.txt", Unlock);
      add(prefix({"414"}), "_4J3_1_wzbczl.txt", Unlock);
      add(prefix({"415"}), "_5J3_1_jnygzbczl.txt", Unlock);
      add(k.category_first == "1", "_6J3_1_snnygzbczl.txt", Unlock);
      break;
    default:
      break;
  }
  return lists;
}

void SetCellsLockBiaoByFileName(const workbook::Application& excel, const std::string& module_dir,
                                std::string_view file, LockMode mode, bool table1) {
  const std::vector<std::string> lines = LoadLines(module_dir + std::string(file));
  std::optional<workbook::Workbook> book = excel.ActiveWorkbook();
  if (!book) throw std::runtime_error("no workbook is open");
  for (const std::string& line : lines) {
    // Everything of the line is read before its sheet is unprotected.
    const std::vector<std::string> items = SplitItems(line, "|", " ");
    const int sheet_number = TextToInt(GetStrBybeginendIndex(Item(items, 0), 4, 1));
    const std::string& cell_item = Item(items, 2);
    const std::vector<std::string> cell = SplitItems(cell_item, ",", " ");
    const int row = TextToInt(Item(cell, 0));
    const int column = TextToInt(Item(cell, 1));
    workbook::Worksheet sheet = book->Sheet(sheet_number);

    base_table::UnprotectedSheet guard(sheet, base_table::AfterProtect::UnlockedCellsOnly);
    sheet.Select();
    workbook::Range target = sheet.Cell(row, column);
    target.Select();
    target.SetColorIndex(15);
    workbook::Range selection = excel.Selection().value_or(target);
    if (mode == LockMode::Unlock) {
      selection.SetLocked(false);
      target.SetColorIndex(0);
    } else {
      selection.SetLocked(true);
    }
    if (table1) {
      sheet.Select();
      workbook::Range d11 = sheet.Cell(11, 4);
      d11.Select();
      d11.SetColorIndex(0);
    }
    guard.Protect();
  }
  book->Sheet(base_table::kFirstSheet).Select();
}

void SetCellsLockBiao(const workbook::Application& excel, const std::string& module_dir,
                      int table) {
  std::optional<workbook::Workbook> book = excel.ActiveWorkbook();
  if (!book) return;
  const LockKeys keys = DeriveLockKeys(
      base_table::ReadCell(book->Sheet(base_table::kFirstSheet), base_table::kInfoStringCell));
  for (const LockListStep& step : LockListsFor(table, keys))
    SetCellsLockBiaoByFileName(excel, module_dir, step.file, step.mode, step.table1);
}

}  // namespace velmora
