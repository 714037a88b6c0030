// The validation dialog: the run in FormCreate, the flag, the result grid
// with its red type cells, and the double-click that marks a failed rule's
// cells, with the clearing of the next run.
#include "platform/forms/scripted_driver.h"
#include "validation/form2.h"
#include "validation/result_list.h"
#include "validation_fixture.h"

namespace velmora::testing {
namespace {

// The smallest icon file: one 1 x 1 image of 32 bits.
std::string TinyIcon() {
  std::string ico("\0\0\1\0\1\0" "\1\1\0\0\1\0\x20\0" "\x30\0\0\0" "\x16\0\0\0", 22);
  return ico + std::string(0x30, '\0');
}

class Dialog : public ValidationTest {
 protected:
  void SetUp() override {
    ValidationTest::SetUp();
    WriteRaw("App.ico", TinyIcon());
    WriteFile("d1.txt", {"J1_1|A01|12,5", "J1_2|B01|8,3", "J1_2|B02|9,3"});
    Input(1, 12, 5, 5);
    Input(2, 8, 3, 7);
    ModelSheet(2).SetValue(9, 3, xlsx::Value::Number(1));  // locked
    WriteFile("1.txt", {
                           "提示规则,1-001,0,\"=(F1(JB1_1,A01,1)>5)\"",
                           "强制规则,1-002,1,\"=(F1(JB1_1,A01,1)==F1(JB1_2,B01,1))\"",
                           "锁定单元格,1-003,1,\"=(F1(JB1_2,B02,1)==0)\"",
                           "通过,1-004,1,\"=(F1(JB1_1,A01,1)<F1(JB1_2,B01,1))\"",
                       });
  }

  // Shows the dialog with the answers given; returns the driver's records.
  std::shared_ptr<forms::ScriptedDriver> Show(const std::string& answers = "") {
    auto driver = forms::ScriptedDriver::FromText(answers);
    forms::ScriptedDriver::Install installed(driver);
    auto form = forms::CreateForm<TForm2>([this] { return Context(); });
    form->ShowModal();
    return driver;
  }
  static std::vector<std::string> BoxTexts(const forms::ScriptedDriver& driver) {
    std::vector<std::string> texts;
    for (const auto& box : driver.MessageBoxes()) texts.push_back(box.text);
    return texts;
  }
  std::string First(base_table::CellAddress cell) { return U(base_table::ReadCell(Book().Sheet(1), cell)); }
  long Color(int sheet, int row, int column) { return Book().Sheet(sheet).Cell(row, column).ColorIndex(); }
};

TEST_F(Dialog, ListsTheFailuresMandatoryFirstInRed) {
  ModelSheet(1).SetValue(40, 2, xlsx::Value::Text("ok"));
  Open();
  auto driver = Show();
  ASSERT_EQ(driver->Forms().size(), 1u);
  const forms::FormView& view = driver->Forms()[0].shown;
  EXPECT_EQ(view.caption, "校验结果");
  EXPECT_EQ(view.client_width, 900);
  EXPECT_EQ(view.client_height, 498);
  const forms::ControlView* grid = view.Find("DBGrid1");
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->grid.titles, (std::vector<std::string>{"校验类型", "提示信息"}));
  ASSERT_EQ(grid->grid.rows.size(), 3u);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"强制", "强制规则"}, {"强制", "锁定单元格"}, {"提示", "提示规则"}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(grid->grid.rows[i][0].text, expected[i].first);
    EXPECT_EQ(grid->grid.rows[i][1].text, expected[i].second);
    EXPECT_EQ(grid->grid.rows[i][0].font_color, expected[i].first == "强制" ? forms::clRed : forms::clWindowText);
    EXPECT_EQ(grid->grid.rows[i][1].font_color, forms::clWindowText);
  }
  EXPECT_EQ(grid->grid.current_row, 0);
  EXPECT_TRUE(BoxTexts(*driver).empty());
  EXPECT_EQ(First(base_table::kValidationFlagCell), "");
}

TEST_F(Dialog, NothingFailedSaysSoAndClosesByItself) {
  WriteFile("1.txt", {"通过,1-004,1,\"=(F1(JB1_1,A01,1)<F1(JB1_2,B01,1))\"", "提示,1-005,0,\"=(1==1)\""});
  Open();
  auto driver = Show();
  EXPECT_EQ(BoxTexts(*driver), std::vector<std::string>{"提示：交验全部通过！"});
  ASSERT_EQ(driver->Forms().size(), 1u);
  EXPECT_FALSE(driver->Forms()[0].unanswered);  // closed by its own request
  EXPECT_EQ(Saved()->Sheet(1).GetValue(40, 2).text, "ok");
}

TEST_F(Dialog, ARunStoppedBeforeAnyFailureDoesNotSayAllPassed) {
  WriteFile("1.txt", {"通过,1-004,1,\"=(F1(JB1_2,B01,1)>0)\"", "文字,1-005,1,\"=(F1(JB1_1,A01,1)>0)\"",
                      "后面,1-006,1,\"=(1==2)\""});
  Input(1, 12, 5, "十二");  // no figure: the run stops at 1-005
  Open();
  auto driver = Show();
  ASSERT_EQ(BoxTexts(*driver).size(), 1u);
  EXPECT_NE(BoxTexts(*driver)[0], "提示：交验全部通过！");
  EXPECT_TRUE(driver->Forms()[0].shown.Find("DBGrid1")->grid.rows.empty());
  EXPECT_EQ(First(base_table::kValidationFlagCell), "");
}

TEST_F(Dialog, OtherTemplateNamesOpenAnEmptyDialog) {
  for (const char* name : {" 基表1.xls", "", "基表4.xls"}) {
    SCOPED_TRACE(name);
    ModelSheet(1).SetValue(40, 5, xlsx::Value::Text(name));
    ModelSheet(1).SetValue(40, 2, xlsx::Value::Text("ok"));
    Open();
    auto driver = Show();
    EXPECT_TRUE(driver->Forms()[0].shown.Find("DBGrid1")->grid.rows.empty());
    EXPECT_TRUE(BoxTexts(*driver).empty());
    EXPECT_EQ(First(base_table::kValidationFlagCell), "ok");  // not touched
    book_.reset();
    excel_.reset();
  }
}

TEST_F(Dialog, TheTemplateNameChoosesTheRuleSet) {
  ModelSheet(1).SetValue(40, 5, xlsx::Value::Text("基表2.xls"));
  WriteFile("2.txt", {"表二,2-001,1,\"=(F1(JB2_1,C01,1)==1)\""});
  WriteFile("d2.txt", {"J2_1|C01|12,5"});
  Open();
  auto driver = Show();
  const auto& rows = driver->Forms()[0].shown.Find("DBGrid1")->grid.rows;
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][1].text, "表二");
}

TEST_F(Dialog, FailuresBeforeTheRunAreShownAndTheDialogOpensEmpty) {
  ModelSheet(1).SetValue(40, 2, xlsx::Value::Text("ok"));
  Open();
  std::filesystem::remove(dir_ + "/1.txt");
  auto driver = Show();
  EXPECT_EQ(BoxTexts(*driver), std::vector<std::string>{"Cannot open file \"" + dir_ + "/1.txt\""});
  EXPECT_TRUE(driver->Forms()[0].shown.Find("DBGrid1")->grid.rows.empty());
  EXPECT_EQ(First(base_table::kValidationFlagCell), "ok");

  std::filesystem::remove(dir_ + "/App.ico");
  driver = Show();
  ASSERT_EQ(BoxTexts(*driver).size(), 1u);
  EXPECT_NE(BoxTexts(*driver)[0].find("App.ico"), std::string::npos);
}

TEST_F(Dialog, NoActiveWorkbook) {
  excel_.emplace(excel::CreateApplication());
  auto driver = Show();
  EXPECT_EQ(BoxTexts(*driver), std::vector<std::string>{"没有打开的工作簿"});
  EXPECT_TRUE(driver->Forms()[0].shown.Find("DBGrid1")->grid.rows.empty());
}

TEST_F(Dialog, ALockedFlagCellShowsExcelsErrorAndTheList) {
  ModelSheet(1).SetLocked(40, 2, true);
  Open();
  auto driver = Show();
  ASSERT_EQ(BoxTexts(*driver).size(), 1u);
  EXPECT_EQ(driver->Forms()[0].shown.Find("DBGrid1")->grid.rows.size(), 3u);
}

TEST_F(Dialog, ADoubleClickMarksTheCellsAndTheNextRunClearsThem) {
  Open();
  auto driver = Show("dblclick DBGrid1 1\n");
  ASSERT_EQ(driver->Forms().size(), 1u);
  EXPECT_FALSE(driver->Forms()[0].unanswered);  // the double-click closed it
  EXPECT_EQ(First(base_table::kCellListCell), "1,12,5|2,8,3");
  EXPECT_EQ(First(base_table::kSwitchCounterCell), "");
  EXPECT_EQ(Color(1, 12, 5), 38);
  EXPECT_EQ(Color(2, 8, 3), 38);
  EXPECT_EQ(Book().ActiveSheet().Index(), 2);
  auto cell = Excel().ActiveCell();
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->Row(), 8);
  EXPECT_EQ(cell->Column(), 3);
  for (int n = 1; n <= 5; ++n) EXPECT_TRUE(Book().Sheet(n).ProtectContents()) << n;

  // The locked cell of the second row: selected, never coloured.
  driver = Show("dblclick DBGrid1 2\n");
  EXPECT_EQ(First(base_table::kCellListCell), "2,9,3");
  EXPECT_EQ(Color(2, 9, 3), -4142);
  EXPECT_EQ(Excel().ActiveCell()->Row(), 9);
  EXPECT_EQ(Color(2, 8, 3), -4142);  // the run cleared the marks F40 listed

  // A row without cells only closes the dialog.
  WriteFile("1.txt", {"无单元格,1-001,1,\"=(1==2)\""});
  driver = Show("dblclick DBGrid1 1\n");
  EXPECT_FALSE(driver->Forms()[0].unanswered);
  EXPECT_EQ(First(base_table::kCellListCell), "2,9,3");
}

TEST_F(Dialog, TheNextRunClearsTheMarksSavingOncePerCell) {
  Open();
  Show("dblclick DBGrid1 1\n");
  ASSERT_EQ(Color(1, 12, 5), 38);
  excel::fault::Clear();
  WriteFile("1.txt", {"提示规则,1-001,0,\"=(F1(JB1_1,A01,1)>5)\""});
  Show();
  EXPECT_EQ(Color(1, 12, 5), -4142);
  EXPECT_EQ(Color(2, 8, 3), -4142);
  // Two saves by the clearing, one by the flag ("ok" into an empty B40).
  EXPECT_EQ(excel::fault::Calls("Workbook.Save"), 3);
  const std::vector<std::string>& trace = excel::fault::Trace();
  const auto first_save = std::find(trace.begin(), trace.end(), "Workbook.Save");
  const auto second_save = std::find(first_save + 1, trace.end(), "Workbook.Save");
  ASSERT_NE(second_save, trace.end());
  // Both before any cell of a rule was read: the rule reads (12, 5) of sheet 1
  // through Application.Worksheets.
  const auto rule_read = std::find(trace.begin(), trace.end(), "Application.Worksheets.get");
  EXPECT_LT(second_save - trace.begin(), rule_read - trace.begin());
  EXPECT_EQ(Saved()->Sheet(1).ColorIndex(12, 5), -4142);
}

TEST_F(Dialog, ACellPositionCutShortIsShownAndTheDialogStaysOpen) {
  ModelSheet(1).SetLocked(40, 6, false);  // F40 as a user might leave it
  ModelSheet(1).SetValue(40, 6, xlsx::Value::Text("1,12,5|2,8"));
  Open();
  auto driver = Show();
  // The clearing stops at the short position, shows why and the run goes on.
  ASSERT_GE(BoxTexts(*driver).size(), 1u);
  EXPECT_EQ(BoxTexts(*driver)[0], "List index out of bounds (2)");
  EXPECT_EQ(driver->Forms()[0].shown.Find("DBGrid1")->grid.rows.size(), 3u);
}

}  // namespace
}  // namespace velmora::testing
