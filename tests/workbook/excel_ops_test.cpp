// The Excel operation layer and the unprotect-write-protect guard over the
// stand-in's object model, with failures injected into every call.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "addin/workbook/base_table.h"
#include "addin/workbook/excel_ops.h"
#include "com/error_info.h"
#include "excel/fault.h"
#include "excel/xlsx/model.h"
#include "win/code_page.h"
#include "tests/support/file_bytes.h"

using namespace velmora;
using base_table::UnprotectedSheet;

namespace {

std::string ReadFile(const std::string& path) { return velmora::testing::FileBytes(path); }

class ExcelOps : public ::testing::Test {
 protected:
  void SetUp() override {
    excel::fault::Clear();
    char tmpl[] = "/tmp/workbook_test.XXXXXX";
    dir_ = mkdtemp(tmpl);
    path_ = dir_ + "/2010_1234_5678_基表1.xls";  // the name the save dialog proposes; xlsx inside
    std::ofstream(path_, std::ios::binary) << ReadFile(std::string(EXCEL_FIXTURES) + "/base_table.xlsx");
    excel_.emplace(excel::CreateApplication());
    book_.emplace(excel_->Open(win::Utf8ToAnsi(path_)));
  }
  void TearDown() override { excel::fault::Clear(); }

  std::string dir_, path_;
  std::optional<workbook::Application> excel_;
  std::optional<workbook::Workbook> book_;
};

bool OpensWithWrongPassword(const workbook::Worksheet& sheet) {
  try {
    sheet.Unprotect("wrong");
    return true;
  } catch (const com::ComError&) {
    return false;
  }
}

}  // namespace

TEST_F(ExcelOps, ReadsTheConventionsOfABaseTable) {
  auto active = excel_->ActiveWorkbook();
  ASSERT_TRUE(active);
  workbook::Worksheet first = active->Sheet(1);
  EXPECT_EQ(base_table::KindOfTemplateName(base_table::ReadCell(first, base_table::kTemplateNameCell)),
            base_table::Kind::One);
  EXPECT_EQ(base_table::ReadCell(first, base_table::kYearCell), "2010");
  for (int n = 1; n <= base_table::kDataSheetCount; ++n)
    EXPECT_EQ(base_table::SheetNumberOfCode(base_table::ReadCell(active->Sheet(n), base_table::kSheetCodeCell)), n);
  EXPECT_EQ(active->SheetCount(), 5);
  EXPECT_EQ(active->Sheet(base_table::kPrintSheet).Visible(), excel::xlSheetHidden);
  EXPECT_EQ(active->Sheet(1).Name(), win::Utf8ToAnsi("基表一"));
  EXPECT_EQ(excel_->Worksheets(2).Index(), 2);
  EXPECT_TRUE(first.Cell(4, 3).Locked() == false);
  EXPECT_EQ(first.Cell(5, 3).ColorIndex(), 15);
  EXPECT_EQ(active->FullName(), win::Utf8ToAnsi(path_));
}

TEST_F(ExcelOps, FailuresCarryExcelsDescription) {
  workbook::Worksheet first = book_->Sheet(1);
  try {
    first.Write(3, 1, "x");
    FAIL();
  } catch (const com::ComError& e) {
    EXPECT_EQ(e.Result(), static_cast<com::HRESULT>(0x800A03EC));
    EXPECT_STREQ(e.what(), "Unable to set the Value property of the Range class");
  }
  try {
    book_->Sheet(6);
    FAIL();
  } catch (const com::ComError& e) {
    EXPECT_STREQ(e.what(), "Subscript out of range");
  }
  try {
    excel_->Open(win::Utf8ToAnsi(dir_ + "/缺少.xlsx"));
    FAIL();
  } catch (const com::ComError& e) {
    EXPECT_NE(std::string(e.what()).find("could not be found"), std::string::npos) << e.what();
  }
}

TEST_F(ExcelOps, GuardProtectsAgainAfterWriting) {
  workbook::Worksheet first = book_->Sheet(1);
  {
    UnprotectedSheet guard(first, base_table::AfterProtect::UnlockedCellsOnly);
    EXPECT_FALSE(first.ProtectContents());
    base_table::WriteCell(first, base_table::kCellListCell, "1,12,5|2,8,3");
    base_table::WriteCell(first, base_table::kSwitchCounterCell, "");
    guard.Protect();
  }
  EXPECT_TRUE(first.ProtectContents());
  EXPECT_EQ(first.EnableSelection(), excel::xlUnlockedCells);
  EXPECT_FALSE(OpensWithWrongPassword(first));
  EXPECT_EQ(base_table::ReadCell(first, base_table::kCellListCell), "1,12,5|2,8,3");
}

TEST_F(ExcelOps, GuardProtectsAgainWhenAnErrorLeavesIt) {
  workbook::Worksheet first = book_->Sheet(1);
  EXPECT_THROW(
      {
        UnprotectedSheet guard(first);
        first.Write(0, 1, "row 0 is refused");
        guard.Protect();
      },
      com::ComError);
  EXPECT_TRUE(first.ProtectContents());
  EXPECT_FALSE(OpensWithWrongPassword(first));
}

// The sweep: the guarded write runs once to count its calls; then, for every
// k, the k-th call fails. Whatever failed, the error reaches the caller and
// the sheet ends protected with the sheet password and the standard options.
TEST_F(ExcelOps, AFailureInjectedAnywhereInTheGuardLeavesTheSheetProtected) {
  workbook::Worksheet first = book_->Sheet(1);
  auto guarded_write = [&] {
    UnprotectedSheet guard(first, base_table::AfterProtect::UnlockedCellsOnly);
    base_table::WriteCell(first, base_table::kCellListCell, "1,12,5");
    base_table::WriteCell(first, base_table::kSwitchCounterCell, "");
    first.Cell(12, 5).SetColorIndex(38);
    guard.Protect();
  };
  excel::fault::Clear();
  guarded_write();
  const int calls = excel::fault::Calls();
  ASSERT_GT(calls, 8);
  for (int k = 1; k <= calls; ++k) {
    excel::fault::Clear();
    excel::fault::Inject("*", k, static_cast<std::int32_t>(0x800A03EC), "injected failure");
    bool reported = false;
    try {
      guarded_write();
    } catch (const com::ComError& e) {
      reported = std::string(e.what()) == "injected failure";
    }
    std::string failed = excel::fault::Trace()[static_cast<std::size_t>(k - 1)];
    excel::fault::Clear();
    EXPECT_TRUE(reported) << "call " << k << " (" << failed << ") failed silently";
    EXPECT_TRUE(first.ProtectContents()) << "call " << k << " (" << failed << ") left the sheet unprotected";
    EXPECT_FALSE(OpensWithWrongPassword(first)) << k;
  }
  // And the workbook saves and reads back whole.
  book_->Save();
  auto saved = xlsx::Workbook::Load(path_);
  EXPECT_TRUE(saved->Sheet(1).IsProtected());
  EXPECT_TRUE(saved->Sheet(1).protection().Verify("Kq7vXr42ZpmLt"));
  EXPECT_FALSE(saved->Sheet(1).protection().objects);
  EXPECT_TRUE(saved->Sheet(1).protection().scenarios);
}

TEST_F(ExcelOps, SelectionAndPageSetup) {
  workbook::Worksheet first = book_->Sheet(1);
  first.Select();
  workbook::Range range = first.Between(6, 3, 6, 4);
  range.Select();
  range.Activate();
  auto sel = excel_->Selection();
  ASSERT_TRUE(sel);
  EXPECT_EQ(sel->Row(), 6);
  EXPECT_EQ(sel->Column(), 3);
  auto cell = excel_->ActiveCell();
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->Column(), 3);
  workbook::Worksheet print = book_->Sheet(base_table::kPrintSheet);
  print.SetVisible(excel::xlSheetVisible);
  print.Activate();
  print.SetPaperSize(excel::xlPaperA4);
  print.SetZoom(55);
  print.SetOrientation(excel::xlLandscape);
  print.SetCenterHorizontally(true);
  print.SetCenterVertically(true);
  print.PrintPreview(false);
  print.SetVisible(excel::xlSheetHidden);
  book_->Save();
  auto saved = xlsx::Workbook::Load(path_);
  EXPECT_EQ(saved->Sheet(5).page_setup().paper_size, 9);
  EXPECT_EQ(saved->Sheet(5).page_setup().scale, 55);
  EXPECT_EQ(saved->Sheet(5).visibility(), xlsx::Visibility::Hidden);
}
