// Cell locking: the keys, the decision table row by row, and the lists
// applied to a base table (with small lock lists of the test's own).
#include <gtest/gtest.h>

#include "addin/text/item_split.h"
#include "addin/text/text_file.h"
#include "addin/workbook/base_table.h"
#include "com/error_info.h"
#include "excel/fault.h"
#include "excel/xlsx/model.h"
#include "fixture.h"
#include "schoolinfo/cell_locking.h"

using namespace velmora;
using schooltest::G;

TEST(LockKeys, FromTheInformationString) {
  struct Case {
    const char* info;
    LockKeys keys;
  } cases[] = {
      {"2010|65530001|14|414|10011|x|y|z", {"1", "6553", "414", "4", "414"}},
      {"2010|655|24|91|10011|x", {"2", "0", "91", "9", "0"}},  // short region code and category
      {"2010| 11010800|  21| 611|10011|x", {"2", "1101", "611", "6", "611"}},  // blanks skipped
      {"2010|1101|35|9|10011", {"3", "1101", "9", "9", "0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.info);
    LockKeys k = DeriveLockKeys(c.info);
    EXPECT_EQ(k.lsgx_first, c.keys.lsgx_first);
    EXPECT_EQ(k.region_prefix, c.keys.region_prefix);
    EXPECT_EQ(k.category, c.keys.category);
    EXPECT_EQ(k.category_first, c.keys.category_first);
    EXPECT_EQ(k.category_prefix, c.keys.category_prefix);
  }
  EXPECT_THROW(DeriveLockKeys("2010|11010800|21"), std::out_of_range);
  EXPECT_THROW(DeriveLockKeys(""), std::out_of_range);
}

TEST(LockDecision, RowByRow) {
  using enum LockMode;
  const auto keys = [](const char* region, const char* lsgx, const char* category) {
    return DeriveLockKeys(std::string("2010|") + region + "|" + lsgx + "|" + category);
  };
  struct Case {
    int table;
    LockKeys keys;
    std::vector<LockListStep> lists;
  } cases[] = {
      {1, keys("11010800", "11", "111"), {{"lsgxJ1-1.txt", Lock, true}}},
      {1, keys("11010800", "21", "111"), {{"lsgxJ1-2.txt", Lock, true}}},
      {2,
       keys("11010800", "21", "414"),
       {{"lsgxJ2_2ywjyxzf_1.txt", Lock, false}, {"lsgxJ2_1jnygzbczl_4.txt", Unlock, false}}},
      {2, keys("11010800", "21", "413"), {{"lsgxJ2_2ywjyxzf_1.txt", Lock, false}}},
      {2, keys("11010800", "21", "611"), {{"lsgxJ2_2ywjyxzf_1.txt", Lock, false}}},
      {2,
       keys("11010800", "21", "91"),
       {{"lsgxJ2_2jyxzsydwbtb_2.txt", Lock, false}, {"lsgxJ2_2jnygzbczl_4.txt", Lock, false}}},
      {2, keys("11010800", "21", "92"), {{"lsgxJ2_2jyxzsydwbtb_2.txt", Lock, false}}},
      {2, keys("11010800", "21", "412"), {{"lsgxJ2_1wzbczl_3.txt", Unlock, false}}},
      {2, keys("11010800", "21", "415"), {{"lsgxJ2_1snnygzbczl_5.txt", Unlock, false}}},
      {2, keys("11010800", "22", "933"), {{"lsgxJ2_1dxxzxybczl_6.txt", Unlock, false}}},
      {2,
       keys("11010800", "21", "41"),
       {}},  // two characters: prefix "0", no three-character row matches
      {2, keys("11010800", "21", "211"), {}},
      {3, keys("65530001", "24", "611"), {{"_1J3_2_btywjyxzf.txt", Lock, false}}},
      {3,
       keys("65530001", "24", "414"),
       {{"_1J3_2_btywjyxzf.txt", Lock, false}, {"_4J3_1_wzbczl.txt", Unlock, false}}},
      {3, keys("655", "24", "611"), {}},  // three characters: region prefix "0"
      {3,
       keys("11010800", "14", "412"),
       {{"_2J3_2_lszydbtdfjyfj.txt", Lock, false}, {"_3J3_1_gdxxbczl.txt", Unlock, false}}},
      {3, keys("11010800", "24", "415"), {{"_5J3_1_jnygzbczl.txt", Unlock, false}}},
      {3, keys("11010800", "35", "111"), {{"_6J3_1_snnygzbczl.txt", Unlock, false}}},
      {4, keys("11010800", "11", "414"), {}},
      {0, keys("11010800", "11", "414"), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.table) + " " + c.keys.category + " " + c.keys.region_prefix);
    EXPECT_EQ(LockListsFor(c.table, c.keys), c.lists);
  }
}

namespace {

class Locking : public schooltest::SchoolDir {
 protected:
  void ExpectAllProtected(const workbook::Workbook& book) {
    for (int n = 1; n <= book.SheetCount(); ++n) {
      EXPECT_TRUE(book.Sheet(n).ProtectContents()) << "sheet " << n;
    }
  }
  void SetA40(const workbook::Workbook& book, const std::string& info) {
    base_table::WriteCell(book.Sheet(1), base_table::kInfoStringCell, info);
  }
};

}  // namespace

TEST_F(Locking, ALaterListOverridesAnEarlierOne) {
  WriteGbk("lsgxJ2_2ywjyxzf_1.txt", "J2_2|甲|20,3\r\nJ2_2|乙| 21, 3\r\n");
  WriteGbk("lsgxJ2_1jnygzbczl_4.txt", "J2_2|乙|21,3\r\nJ2_3|丙|22,4\r\n");
  workbook::Workbook book = OpenTemplateCopy(2);
  SetA40(book, "2010|11010800|21|414|20001|x|y|z");
  SetCellsLockBiao(app(), dir(), 2);
  EXPECT_TRUE(book.Sheet(2).Cell(20, 3).Locked());
  EXPECT_EQ(book.Sheet(2).Cell(20, 3).ColorIndex(), 15);
  EXPECT_FALSE(book.Sheet(2).Cell(21, 3).Locked());  // in both lists: unlocked
  EXPECT_EQ(book.Sheet(2).Cell(21, 3).ColorIndex(), 0);
  EXPECT_FALSE(book.Sheet(3).Cell(22, 4).Locked());
  EXPECT_EQ(book.Sheet(3).Cell(22, 4).ColorIndex(), 0);
  ExpectAllProtected(book);
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(book.Sheet(n).EnableSelection(), 1) << n;
  EXPECT_EQ(book.ActiveSheet().Index(), 1);
}

TEST_F(Locking, TableOneLeavesD11SelectedOnTheSheetOfTheLastLine) {
  WriteGbk("lsgxJ1-1.txt", "J1_2|甲|13,3\r\nJ1_3|乙|14,5\r\n");
  workbook::Workbook book = OpenTemplateCopy(1);
  {
    base_table::UnprotectedSheet guard(book.Sheet(3), base_table::AfterProtect::UnlockedCellsOnly);
    book.Sheet(3).Cell(11, 4).SetColorIndex(15);
    guard.Protect();
  }
  SetA40(book, "2010|11010800|11|111|10011|x|y|z");
  SetCellsLockBiao(app(), dir(), 1);
  EXPECT_TRUE(book.Sheet(2).Cell(13, 3).Locked());
  EXPECT_EQ(book.Sheet(3).Cell(14, 5).ColorIndex(), 15);
  EXPECT_EQ(book.Sheet(3).Cell(11, 4).ColorIndex(), 0);
  EXPECT_EQ(book.ActiveSheet().Index(), 1);
  ExpectAllProtected(book);
  book.Sheet(3).Activate();
  std::optional<workbook::Range> selection = app().Selection();
  ASSERT_TRUE(selection);
  EXPECT_EQ(selection->Row(), 11);
  EXPECT_EQ(selection->Column(), 4);
}

TEST_F(Locking, TheShippedListsApplyToTheirTemplates) {
  // Every shipped list of every table, on its template: all cells it names
  // end locked (mode 0) or unlocked (mode 1), every sheet protected.
  struct Case {
    int table;
    const char* file;
    LockMode mode;
  } cases[] = {{1, "lsgxJ1-1.txt", LockMode::Lock},
               {1, "lsgxJ1-2.txt", LockMode::Lock},
               {2, "lsgxJ2_2ywjyxzf_1.txt", LockMode::Lock},
               {2, "lsgxJ2_1jnygzbczl_4.txt", LockMode::Unlock},
               {2, "lsgxJ2_1dxxzxybczl_6.txt", LockMode::Unlock},
               {3, "_1J3_2_btywjyxzf.txt", LockMode::Lock},
               {3, "_6J3_1_snnygzbczl.txt", LockMode::Unlock}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    workbook::Workbook book = OpenTemplateCopy(c.table, std::string("t") + c.file + ".xls");
    SetCellsLockBiaoByFileName(app(), dir(), c.file, c.mode, c.table == 1);
    for (const std::string& line : LoadLines(PathOf(c.file))) {
      const auto items = SplitItems(line, "|", " ");
      const auto cell = base_table::ParseCellPosition(items[0].substr(3) + "," + items[2]);
      EXPECT_EQ(book.Sheet(cell.sheet).Cell(cell.row, cell.column).Locked(),
                c.mode == LockMode::Lock)
          << line;
    }
    ExpectAllProtected(book);
  }
}

TEST_F(Locking, MalformedListsStopWithTheSheetsProtected) {
  struct Case {
    const char* list;
    bool excel_error;  // the failure comes from the spreadsheet, after the unprotect
  } cases[] = {
      {"J2_2|a|20,3\r\nJ2_3|b\r\n", false},       // fewer than three items
      {"J2_2|a|20,3\r\nJ2_x|b|20,3\r\n", false},  // no sheet number
      {"J2_2|a|20,3\r\nJ2_3|b|20\r\n", false},    // one number only
      {"J2_2|a|20,3\r\nJ2_3|b|2o,3\r\n", false},  // not a decimal integer
      {"J2_2|a|20,3\r\nJ2_9|b|20,3\r\n", true},   // beyond the sheets
      {"J2_2|a|20,3\r\nJ2_3|b|0,3\r\n", true},    // row 0
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    WriteGbk("list.txt", c.list);
    workbook::Workbook book = OpenTemplateCopy(2, "m" + std::to_string(n++) + ".xls");
    EXPECT_ANY_THROW(SetCellsLockBiaoByFileName(app(), dir(), "list.txt", LockMode::Unlock));
    EXPECT_FALSE(book.Sheet(2).Cell(20, 3).Locked());  // the line before stays done
    ExpectAllProtected(book);
  }
  EXPECT_THROW(SetCellsLockBiaoByFileName(app(), dir(), "missing.txt", LockMode::Lock), FileError);
}

// Every spreadsheet call of SetCellsLockBiao fails in turn: the error
// reaches the caller, every sheet ends protected, and the workbook saved
// afterwards can be read again.
TEST_F(Locking, FaultSweep) {
  WriteGbk("lsgxJ2_2ywjyxzf_1.txt", "J2_2|甲|20,3\r\nJ2_3|甲|20,3\r\n");
  WriteGbk("lsgxJ2_1jnygzbczl_4.txt", "J2_2|乙|21,3\r\n");
  const std::string info = "2010|11010800|21|414|20001|x|y|z";
  {
    workbook::Workbook book = OpenTemplateCopy(2, "clean.xls");
    SetA40(book, info);
    excel::fault::Clear();
    SetCellsLockBiao(app(), dir(), 2);
  }
  const int calls = excel::fault::Calls();
  ASSERT_GT(calls, 20);
  for (int k = 1; k <= calls; ++k) {
    const std::string name = "f" + std::to_string(k) + ".xls";
    workbook::Workbook book = OpenTemplateCopy(2, name);
    SetA40(book, info);
    excel::fault::Clear();
    excel::fault::Inject("*", k, static_cast<std::int32_t>(0x800A03EC), "injected failure");
    std::string error;
    try {
      SetCellsLockBiao(app(), dir(), 2);
    } catch (const std::exception& e) {
      error = e.what();
    }
    const std::string failed = excel::fault::Trace().size() >= static_cast<std::size_t>(k)
                                   ? excel::fault::Trace()[k - 1]
                                   : "?";
    excel::fault::Clear();
    SCOPED_TRACE("call " + std::to_string(k) + ": " + failed);
    EXPECT_NE(error.find("injected failure"), std::string::npos) << error;
    ExpectAllProtected(book);
    book.Save();
    EXPECT_NO_THROW(xlsx::Workbook::Load(PathOf(name)));
  }
}
