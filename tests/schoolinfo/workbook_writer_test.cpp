// Writing the school's information into its workbook: the header cells of
// every template, the bookkeeping cells, the edition check, "info.txt", and
// a fault sweep in which each spreadsheet call fails in turn.
#include <gtest/gtest.h>

#include <memory>

#include "addin/workbook/base_table.h"
#include "excel/fault.h"
#include "excel/xlsx/model.h"
#include "fixture.h"
#include "platform/ui/recording_driver.h"
#include "platform/win/path.h"
#include "schoolinfo/cell_locking.h"
#include "schoolinfo/workbook_writer.h"

using namespace velmora;
using base_table::Kind;
using schooltest::G;
using schooltest::U;

namespace {

int Column(char letter) { return letter - 'A' + 1; }

const HeaderTexts kTexts{"20001", "Name", "Lsgx", "11010800", "Region", "Xxlb"};

class Writer : public schooltest::SchoolDir {
 protected:
  void SetUp() override {
    SchoolDir::SetUp();
    ui_ = std::make_shared<ui::RecordingDriver>();
    installed_.emplace(ui_);
  }
  void TearDown() override {
    installed_.reset();
    SchoolDir::TearDown();
  }
  void ExpectAllProtected(const workbook::Workbook& book) {
    for (int n = 1; n <= book.SheetCount(); ++n)
      EXPECT_TRUE(book.Sheet(n).ProtectContents()) << "sheet " << n;
  }
  std::shared_ptr<ui::RecordingDriver> ui_;
  std::optional<ui::ScopedDriver> installed_;
};

}  // namespace

TEST_F(Writer, HeaderCellsOfEveryTemplate) {
  // Columns of school code, school name, affiliation (row 4) and region code,
  // region name, category (row 5); on sheet 1 the date in row 6.
  struct Case {
    Kind kind;
    const char* sheets[4];
  } cases[] = {
      {Kind::One, {"CGN", "CFK", "CGM", "CFK"}},
      {Kind::Two, {"DHO", "CFK", "CGM", "CFK"}},
      {Kind::Three, {"CIQ", "CFJ", "CGK", "CFK"}},
  };
  for (const Case& c : cases) {
    const int kind = static_cast<int>(c.kind);
    SCOPED_TRACE(kind);
    const std::string name = "h" + std::to_string(kind) + ".xls";
    workbook::Workbook book = OpenTemplateCopy(kind, name);
    SetJiBiaoXXInfoOnExcel(app(), c.kind, kTexts, "2010-9-15");
    // Saved: read the file itself.
    auto saved = xlsx::Workbook::Load(PathOf(name));
    for (int n = 1; n <= 4; ++n) {
      const char* cols = c.sheets[n - 1];
      auto& sheet = saved->Sheet(n);
      EXPECT_EQ(sheet.GetValue(4, Column(cols[0])).text, "20001") << n;
      EXPECT_EQ(sheet.GetValue(4, Column(cols[1])).text, "Name") << n;
      EXPECT_EQ(sheet.GetValue(4, Column(cols[2])).text, "Lsgx") << n;
      EXPECT_EQ(sheet.GetValue(5, Column(cols[0])).text, "11010800") << n;  // a code stays text
      EXPECT_EQ(sheet.GetValue(5, Column(cols[1])).text, "Region") << n;
      EXPECT_EQ(sheet.GetValue(5, Column(cols[2])).text, "Xxlb") << n;
      if (n == 1) {
        EXPECT_EQ(sheet.GetValue(6, Column(cols[2])).text, "2010-9-15");
      }
      EXPECT_TRUE(sheet.protection().Verify(base_table::kSheetPassword)) << n;
      EXPECT_EQ(book.Sheet(n).EnableSelection(), 1) << n;
    }
    ExpectAllProtected(book);
  }
}

TEST_F(Writer, WritesTheBookkeepingCellsLocksAndRecordsInfoTxt) {
  WriteGbk("lsgxJ2_2ywjyxzf_1.txt", "J2_2|甲|20,3\r\n");
  WriteGbk("lsgxJ2_1jnygzbczl_4.txt", "J2_2|乙|21,3\r\n");
  workbook::Workbook book = OpenTemplateCopy(2);
  const std::string info = G("2010|11010800|21|414|20001|某某九年一贯制学校|某某区教育局|某某区");
  const std::string jb2 = base_table::TemplateName(Kind::Two);
  EXPECT_FALSE(CheckIsEdit(app(), jb2));  // E40 of a template copy is empty
  EXPECT_EQ(SetXXinfoOnExcel(app(), dir(), {info, jb2, "2010"}, kTexts, "2010-9-15"),
            WriteOutcome::Written);
  workbook::Worksheet first = book.Sheet(1);
  EXPECT_EQ(base_table::ReadCell(first, base_table::kInfoStringCell), info);
  EXPECT_EQ(base_table::ReadCell(first, base_table::kTemplateNameCell), jb2);
  EXPECT_EQ(base_table::ReadCell(first, base_table::kYearCell), "2010");
  EXPECT_EQ(first.Text(4, 4), "20001");
  EXPECT_TRUE(book.Sheet(2).Cell(20, 3).Locked());
  EXPECT_FALSE(book.Sheet(2).Cell(21, 3).Locked());
  EXPECT_EQ(schooltest::ReadBytes(PathOf("info.txt")), info + "\r\n");
  // The first selection: D6:E6 on the first sheet.
  EXPECT_EQ(book.ActiveSheet().Index(), 1);
  std::optional<workbook::Range> selection = app().Selection();
  ASSERT_TRUE(selection);
  EXPECT_EQ(selection->Row(), 6);
  EXPECT_EQ(selection->Column(), 4);
  EXPECT_TRUE(ui_->MessageBoxes().empty());
  ExpectAllProtected(book);

  EXPECT_TRUE(CheckIsEdit(app(), jb2));
  EXPECT_FALSE(CheckIsEdit(app(), base_table::TemplateName(Kind::One)));
  EXPECT_FALSE(CheckIsEdit(std::nullopt, jb2));
}

TEST_F(Writer, TheEditionCheckOfT40) {
  struct Case {
    const char* a40;
    const char* t40;
    bool written;
  } cases[] = {
      {"", "2009", true},          // an empty A40 is written whatever T40 holds
      {"  ", "", true},            // blanks count as empty
      {"2009|x", "2009", false},   // an information string of another edition
      {"2010|x", " 2010 ", true},  // T40 is trimmed
      {"2010|x", "", false},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a40) + " / " + c.t40);
    ui_->Clear();
    std::remove(PathOf("info.txt").c_str());
    const std::string name = "e" + std::to_string(n++) + ".xls";
    workbook::Workbook book = OpenTemplateCopy(3, name);
    base_table::WriteCell(book.Sheet(1), base_table::kInfoStringCell, c.a40);
    base_table::WriteCell(book.Sheet(1), base_table::kYearCell, c.t40);
    const std::string info = "2010|11010800|35|411|30001|x|y|z";
    WriteOutcome outcome = SetXXinfoOnExcel(
        app(), dir(), {info, base_table::TemplateName(Kind::Three), "2010"}, kTexts, "d");
    EXPECT_EQ(outcome == WriteOutcome::Written, c.written);
    EXPECT_EQ(base_table::ReadCell(book.Sheet(1), base_table::kInfoStringCell) == info, c.written);
    EXPECT_EQ(win::FileExists(PathOf("info.txt")), c.written);
    if (!c.written) {
      ASSERT_EQ(ui_->MessageBoxes().size(), 1u);
      EXPECT_EQ(ui_->MessageBoxes()[0].text, "请打开2010简易版文件进行修改");
      EXPECT_EQ(ui_->MessageBoxes()[0].caption, "提示");
      // Saved before the check: the file holds what was there.
      EXPECT_EQ(xlsx::Workbook::Load(PathOf(name))->Sheet(1).GetValue(40, 1).text, c.a40);
    }
  }
}

TEST_F(Writer, AnErrorInTheTitleStepIsShownAndTheRunGoesOn) {
  std::remove(PathOf("lsgxJ1-2.txt").c_str());
  workbook::Workbook book = OpenTemplateCopy(1);
  const std::string info = "2010|11010800|21|111|10011|x|y|z";
  EXPECT_EQ(SetXXinfoOnExcel(app(), dir(), {info, base_table::TemplateName(Kind::One), "2010"},
                             kTexts, "d"),
            WriteOutcome::Written);
  ASSERT_EQ(ui_->MessageBoxes().size(), 1u);
  EXPECT_NE(ui_->MessageBoxes()[0].text.find("lsgxJ1-2.txt"), std::string::npos)
      << ui_->MessageBoxes()[0].text;
  EXPECT_EQ(base_table::ReadCell(book.Sheet(1), base_table::kInfoStringCell), info);
  EXPECT_EQ(book.Sheet(1).Text(4, 3), "20001");  // the headers were written before the locking
  EXPECT_EQ(schooltest::ReadBytes(PathOf("info.txt")), info + "\r\n");
  ExpectAllProtected(book);
}

// Every spreadsheet call of SetXXinfoOnExcel (and so of the header writers
// and SetCellsLockBiao) fails in turn: every sheet ends protected, the file
// stays readable, and the error is shown (in a box, or by the handler the
// exception reaches).
TEST_F(Writer, FaultSweep) {
  WriteGbk("lsgxJ2_2ywjyxzf_1.txt", "J2_2|甲|20,3\r\nJ2_3|甲|20,3\r\n");
  WriteGbk("lsgxJ2_1jnygzbczl_4.txt", "J2_2|乙|21,3\r\n");
  const std::string info = "2010|11010800|21|414|20001|x|y|z";
  const WorkbookInfo book_info{info, base_table::TemplateName(Kind::Two), "2010"};
  const auto run = [&](const std::string& name) {
    workbook::Workbook book = OpenTemplateCopy(2, name);
    excel::fault::Clear();
    std::string error;
    try {
      SetXXinfoOnExcel(app(), dir(), book_info, kTexts, "d");
    } catch (const std::exception& e) {
      error = e.what();
    }
    return std::make_pair(book, error);
  };
  run("clean.xls");
  const int calls = excel::fault::Calls();
  ASSERT_GT(calls, 30);
  for (int k = 1; k <= calls; ++k) {
    ui_->Clear();
    const std::string name = "f" + std::to_string(k) + ".xls";
    workbook::Workbook book = OpenTemplateCopy(2, name);
    excel::fault::Clear();
    excel::fault::Inject("*", k, static_cast<std::int32_t>(0x800A03EC), "injected failure");
    std::string error;
    try {
      SetXXinfoOnExcel(app(), dir(), book_info, kTexts, "d");
    } catch (const std::exception& e) {
      error = e.what();
    }
    const std::string failed = excel::fault::Trace().size() >= static_cast<std::size_t>(k)
                                   ? excel::fault::Trace()[k - 1]
                                   : std::string("?");
    excel::fault::Clear();
    SCOPED_TRACE("call " + std::to_string(k) + ": " + failed);
    const bool shown = error.find("injected failure") != std::string::npos ||
                       (ui_->MessageBoxes().size() == 1 &&
                        ui_->MessageBoxes()[0].text.find("injected failure") != std::string::npos);
    EXPECT_TRUE(shown);
    ExpectAllProtected(book);
    EXPECT_NO_THROW(xlsx::Workbook::Load(PathOf(name)));
  }
}
