// The indicator explanation: the position file by sheet code, the lookup of
// the active cell, the explanation file read with its encoding, the messages
// and the dialog.
#include "tools/indicator_explanation.h"
#include "tools/tfrm_zbjs.h"

#include "tools_fixture.h"

namespace velmora::testing {
namespace {

constexpr char kHint[] = "提示:请先在可编辑的区域的合计行上激活想要查看指标解释的单元格！";

class IndicatorTest : public ToolsTest {
 protected:
  // The active cell: row, column of the active sheet.
  void Activate(int sheet, int row, int column) {
    book_->Sheet(sheet).Activate();
    book_->Sheet(sheet).Cell(row, column).Select();
  }
  std::string Find(const std::string& code) { return U(tools::FindIndicatorNumber(Excel(), Directory(), G(code))); }
  void Load(const std::string& code, const std::string& number) {
    name_ = "old";
    explanation_ = "old";
    tools::LoadIndicatorExplanation(Directory(), G(code), G(number), name_, explanation_);
  }
  void Show() {
    dialogs_ = 0;
    tools::ShowIndicatorExplanation(Excel(), Directory(), {sheet_code_, indicator_, g_code_, name_, explanation_},
                                    [&] { ++dialogs_; });
  }
  std::string sheet_code_, indicator_, g_code_, name_, explanation_;
  int dialogs_ = 0;
};

TEST_F(IndicatorTest, ThePositionFileFollowsTheSheetCode) {
  struct Case {
    const char* code;
    const char* file;
  };
  for (const Case& c : {Case{"J1_1", "d1.txt"}, Case{"J1_4", "d1.txt"}, Case{"J2_3", "d2.txt"}, Case{"", "d3.txt"},
                        Case{"j2_3", "d3.txt"}, Case{"J2_5", "d3.txt"}, Case{"J3_1", "d3.txt"}})
    EXPECT_EQ(tools::PositionFileOfSheetCode(c.code), c.file) << c.code;
}

TEST_F(IndicatorTest, TheFirstLineWithTheCodeAndThePositionWins) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"blanks around the position", {"J1_1|RY01| 12,5 |教职工"}, "RY01"},
      {"the same position twice", {"J1_1|RY01|12,5|a", "J1_1|RY02|12,5|b"}, "RY01"},
      {"another position passed over", {"J1_1|RY01|12,6|a", "J1_1|RY02|12,5|b"}, "RY02"},
      {"another code passed over", {"J1_2|RY01|12,5|a", "J1_1|RY03|12,5|b"}, "RY03"},
      {"a short line of another code", {"J1_2|RY01", "J1_1|RY04|12,5"}, "RY04"},
      {"stars skipped at an item's start", {"*J1_1|**RY05|*12,5"}, "RY05"},
      {"no line for the cell", {"J1_1|RY01|12,50|a"}, ""},
      {"case counts in the code", {"j1_1|RY01|12,5|a"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    WriteFile("d1.txt", c.lines);
    ModelSheet(1).SetLocked(12, 5, false);
    Open();
    Activate(1, 12, 5);
    EXPECT_EQ(Find("J1_1"), c.expected);
    EXPECT_TRUE(Boxes().empty());
  }
}

TEST_F(IndicatorTest, APositionFileErrorIsShownAndGivesNothing) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;  // none: no file
  };
  for (const Case& c : {Case{"no file", {}}, Case{"a blank line before the match", {"", "J1_1|RY01|12,5"}},
                        Case{"a short line of this code", {"J1_1|RY01", "J1_1|RY02|12,5"}}}) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    if (!c.lines.empty()) WriteFile("d1.txt", c.lines);
    ModelSheet(1).SetLocked(12, 5, false);
    Open();
    Activate(1, 12, 5);
    EXPECT_EQ(Find("J1_1"), "");
    EXPECT_EQ(Boxes().size(), 1u);
  }
}

TEST_F(IndicatorTest, TheExplanationFileIsReadInItsDeclaredEncoding) {
  const std::string body = "<ZBJS BB=\"J1_1\">\r\n  <RY00><ZBMC>x</ZBMC><ZBJS>y</ZBJS></RY00>\r\n"
                           "  <RY01>\r\n    <ZBMC>教职工年初人数（合计）</ZBMC>\r\n"
                           "    <ZBJS>指上年末在学校工作的全部教职工人数</ZBJS>\r\n  </RY01>\r\n</ZBJS>\r\n";
  struct Case {
    const char* name;
    std::string bytes;
  };
  for (const Case& c : {Case{"GBK", "<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n" + G(body)},
                        Case{"GB2312", "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n" + G(body)},
                        Case{"UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" + body}}) {
    SCOPED_TRACE(c.name);
    WriteRaw("zbjs_xml/J1_1.xml", c.bytes);
    Load("J1_1", "RY01");
    EXPECT_EQ(U(name_), "教职工年初人数（合计）");
    EXPECT_EQ(U(explanation_), "指上年末在学校工作的全部教职工人数");
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(IndicatorTest, TheMessagesOfTheExplanationFile) {
  struct Case {
    const char* name;
    std::optional<std::string> file;  // UTF-8 content, none: no file
    std::string box;                  // empty: none
    std::string name_after, explanation_after;
  };
  const std::string path = U(Directory()) + "zbjs_xml\\J1_1.xml";
  const std::vector<Case> cases = {
      {"no file", std::nullopt, "提示：指标序号时读取" + path + "文件失败！", "", ""},
      {"not well-formed", "<ZBJS><RY01>", "提示：指标序号时读取" + path + "文件失败！", "", ""},
      {"indicator missing", "<ZBJS><RY02><ZBMC>a</ZBMC><ZBJS>b</ZBJS></RY02></ZBJS>",
       "提示：指标序号时配置文件中没有找到 RY01 的指标解释！", "", ""},
      {"an empty ZBJS", "<ZBJS><RY01><ZBMC>名称</ZBMC><ZBJS/></RY01></ZBJS>", "", "名称", ""},
      {"no ZBJS", "<ZBJS><RY01><ZBMC>名称</ZBMC></RY01></ZBJS>", "", "名称", ""},
      {"no ZBMC", "<ZBJS><RY01><ZBJS>解释</ZBJS></RY01></ZBJS>", "", "", ""},
      {"ZBJS holding elements", "<ZBJS><RY01><ZBMC>名称</ZBMC><ZBJS><p>x</p></ZBJS></RY01></ZBJS>", "", "名称", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui_->Clear();
    std::filesystem::remove(dir_ + "/zbjs_xml/J1_1.xml");
    if (c.file) WriteRaw("zbjs_xml/J1_1.xml", "<?xml version=\"1.0\" encoding=\"GBK\"?>" + G(*c.file));
    name_.clear();
    explanation_.clear();
    tools::LoadIndicatorExplanation(Directory(), G("J1_1"), G("RY01"), name_, explanation_);
    EXPECT_EQ(Boxes(), c.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.box});
    EXPECT_EQ(U(name_), c.name_after);
    EXPECT_EQ(U(explanation_), c.explanation_after);
  }
}

TEST_F(IndicatorTest, TheCommandOpensTheDialogOnlyWithAnExplanation) {
  WriteFile("d2.txt", {"J2_3|ZC01|10,3|支出总计"});
  WriteFile("zbjs_xml/J2_3.xml",
            {"<?xml version=\"1.0\" encoding=\"GBK\"?>", "<ZBJS><ZC01><ZBMC>支出总计</ZBMC><ZBJS>全部支出</ZBJS></ZC01>",
             "<ZC02><ZBMC>空</ZBMC><ZBJS></ZBJS></ZC02></ZBJS>"});
  ModelSheet(1).SetValue(40, 5, xlsx::Value::Text("基表2.xls"));
  ModelSheet(3).SetValue(40, 10, xlsx::Value::Text("J2_3"));
  ModelSheet(3).SetLocked(10, 3, false);
  ModelSheet(3).SetLocked(11, 3, false);
  Open();

  Activate(3, 10, 3);
  Show();
  EXPECT_EQ(dialogs_, 1);
  EXPECT_EQ(U(sheet_code_), "J2_3");
  EXPECT_EQ(indicator_, "ZC01");
  EXPECT_EQ(g_code_, "ZC01");
  EXPECT_EQ(U(name_), "支出总计");
  EXPECT_EQ(U(explanation_), "全部支出");
  EXPECT_TRUE(Boxes().empty());

  Activate(3, 11, 3);
  Show();
  EXPECT_EQ(dialogs_, 0);
  EXPECT_EQ(Boxes(), std::vector<std::string>{kHint});
  EXPECT_EQ(indicator_, "");

  // an empty ZBJS: no dialog, no message
  ui_->Clear();
  WriteFile("d2.txt", {"J2_3|ZC02|11,3|空"});
  Show();
  EXPECT_EQ(dialogs_, 0);
  EXPECT_TRUE(Boxes().empty());

  // a workbook that is no base table: nothing
  base_table::WriteCell(book_->Sheet(1), base_table::kTemplateNameCell, "");
  sheet_code_ = "kept";
  Show();
  EXPECT_EQ(dialogs_, 0);
  EXPECT_EQ(sheet_code_, "kept");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(IndicatorTest, TheDialogShowsNumberNameAndExplanation) {
  const std::string code = "RY01", name = G("教职工年初人数"), explanation = G("指全部教职工");
  auto form = forms::CreateForm<TfrmZBJS>(IndicatorTexts{&code, &name, &explanation});
  EXPECT_EQ(U(form->Caption), "指标解释");
  EXPECT_EQ(form->ClientWidth, 498);
  EXPECT_EQ(form->ClientHeight, 292);
  EXPECT_EQ(U(form->txt_zbmc.Text()), " RY01: 教职工年初人数");
  EXPECT_EQ(U(form->txt_zbjs.Text()), "指全部教职工");
  EXPECT_TRUE(form->txt_zbmc.ReadOnly);
  EXPECT_TRUE(form->txt_zbjs.ReadOnly);
  EXPECT_EQ(form->BorderIcons, forms::biSystemMenu);
}

// Each call of the stand-in failing in turn: the error is shown (or, before
// the guard, goes to the caller); nothing is written, every sheet stays
// protected.
TEST_F(IndicatorTest, FaultSweep) {
  WriteFile("d1.txt", {"J1_1|RY01|10,5|教职工"});
  WriteFile("zbjs_xml/J1_1.xml", {"<?xml version=\"1.0\" encoding=\"GBK\"?>",
                                  "<ZBJS><RY01><ZBMC>名称</ZBMC><ZBJS>解释</ZBJS></RY01></ZBJS>"});
  ModelSheet(1).SetLocked(10, 5, false);
  Open();
  Activate(1, 10, 5);
  excel::fault::Clear();
  Show();
  ASSERT_EQ(dialogs_, 1);
  const int calls = excel::fault::Calls();
  for (int k = 1; k <= calls; ++k) {
    SCOPED_TRACE("call " + std::to_string(k) + " fails");
    ui_->Clear();
    excel::fault::Clear();
    excel::fault::Inject("*", k, static_cast<std::int32_t>(0x800A03EC), "injected fault");
    bool thrown = false;
    try {
      Show();
    } catch (const std::exception& error) {
      thrown = std::string(error.what()) == "injected fault";
    }
    excel::fault::Clear();
    const std::vector<std::string> boxes = Boxes();
    EXPECT_TRUE(thrown || (!boxes.empty() && boxes[0] == "injected fault"));
    EXPECT_EQ(dialogs_, 0);
    EXPECT_TRUE(AllProtected());
  }
}

}  // namespace
}  // namespace velmora::testing
