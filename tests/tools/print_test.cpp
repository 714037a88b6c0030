// Base-table printing: the print-settings dialog, the note lines, the page
// set-up, the print sheet shown only for the preview, and the faults.
#include "tools/print_command.h"
#include "tools/supplementary_notes.h"
#include "tools/tfrm_printset.h"

#include "platform/forms/form_view.h"
#include "tools_fixture.h"

namespace velmora::testing {
namespace {

class PrintTest : public ToolsTest {
 protected:
  void SetUp() override {
    ToolsTest::SetUp();
    previews_ = 0;
    excel::SetPrintPreviewHandler([this](excel::_Worksheet*) {
      ++previews_;
      try {
        print_visible_ = book_->Sheet(5).Visible() == excel::xlSheetVisible;
        print_protected_ = book_->Sheet(5).ProtectContents();
      } catch (const std::exception&) {  // a fault of the sweep
      }
    });
  }
  void TearDown() override {
    excel::SetPrintPreviewHandler(nullptr);
    ToolsTest::TearDown();
  }
  void Kind(const std::string& template_name) {
    ModelSheet(1).SetValue(40, 5, xlsx::Value::Text(template_name));
  }
  // The command with a dialog that sets the paper size to choice.
  void Print(const std::string& choice) {
    dialogs_ = 0;
    tools::PrintJiBiao(Excel(), [&] { ++dialogs_, paper_ = choice; }, paper_);
  }
  std::string Note(int row) const { return U(book_->Sheet(5).Text(row, 2)); }

  std::string paper_;
  int dialogs_ = 0, previews_ = 0;
  bool print_visible_ = false, print_protected_ = false;
};

TEST_F(PrintTest, TheInstitutionLineOfKindTwoWithAFigureAndWithout) {
  struct Case {
    std::optional<double> figure;
    std::string line;
  };
  for (const Case& c : {Case{3, "补充资料：1、机构数   3 个。"}, Case{std::nullopt, "补充资料：1、机构数        个。"}}) {
    TearDown();
    SetUp();
    Kind("基表2.xls");
    if (c.figure) Input(1, 24, 5, *c.figure);
    Open();
    Print("A4");
    EXPECT_EQ(Note(16), c.line);
  }
}

// The lines that tell the three tables apart, written out in full.
TEST_F(PrintTest, DistinctiveLinesOfTheThreeTables) {
  struct Case {
    const char* kind;
    int row;
    std::string line;
  };
  const std::vector<Case> cases = {
      {"基表1.xls", 20, "          4、学校另有年末编制外长期聘用人员   7 人。\t"},
      {"基表1.xls", 17,
       "          2、年初在校学生中：博士生   7 人，硕士生   7 人，本专科生   7 人（其中：高职生   7 人)，"
       "函授夜大生   7 人，来华留学生   7 人。"},
      {"基表1.xls", 70, "补充资料：8、本年还本付息   7 千元。其中，归还本金   7 千元；支付利息   7 千元。"},
      {"基表3.xls", 18,
       "             高等学校年末在校学生中：博士生   7 人，硕士生   7 人，本专科生   7 人（其中：高职生   7 人），"
       "函授夜大生   7 人，来华留学生   7 人。"},
      {"基表3.xls", 68, "补充资料：10、本年还本付息   7 千元。其中，归还本金   7 千元；支付利息   7 千元。"},
      {"基表2.xls", 29, "补充资料：6、捐赠收入中港澳台及海外捐赠   7 千元；农村捐赠收入   7 千元。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + " row " + std::to_string(c.row));
    TearDown();
    SetUp();
    Kind(c.kind);
    for (const tools::NoteLine& line : tools::NoteLines(base_table::KindOfTemplateName(G(c.kind))))
      for (const tools::NoteCell& cell : line.values) Input(cell.worksheet, cell.row, cell.column, 7);
    Open();
    Print("A3");
    EXPECT_EQ(Note(c.row), c.line);
  }
}

TEST_F(PrintTest, TheTablesRowsAndLineCounts) {
  struct Case {
    base_table::Kind kind;
    std::vector<int> rows;
  };
  for (const Case& c : {Case{base_table::Kind::One, {16, 17, 18, 19, 20, 32, 33, 34, 70}},
                        Case{base_table::Kind::Two, {16, 17, 18, 19, 20, 29, 30, 68}},
                        Case{base_table::Kind::Three, {16, 17, 18, 19, 20, 21, 22, 30, 31, 32, 68}}}) {
    std::vector<int> rows;
    for (const tools::NoteLine& line : tools::NoteLines(c.kind)) {
      rows.push_back(line.row);
      EXPECT_EQ(line.texts.size(), line.values.size() + 1);
    }
    EXPECT_EQ(rows, c.rows);
  }
}

TEST_F(PrintTest, PaperChoicesSetThePageUpAndThePreviewSeesTheSheetShown) {
  struct Case {
    std::string choice;
    int paper, zoom;
  };
  for (const Case& c : {Case{"A3", 8, 77}, Case{"A4", 9, 55}}) {
    SCOPED_TRACE(c.choice);
    TearDown();
    SetUp();
    Open();
    Print(c.choice);
    EXPECT_EQ(previews_, 1);
    EXPECT_TRUE(print_visible_);
    EXPECT_TRUE(print_protected_);
    EXPECT_EQ(book_->Sheet(5).Visible(), excel::xlSheetHidden);
    EXPECT_TRUE(AllProtected());
    EXPECT_EQ(Boxes(), std::vector<std::string>{});
    // the notes are unsaved: the saved file has none
    EXPECT_TRUE(Saved()->Sheet(5).GetValue(16, 2).empty());
    const xlsx::PageSetup setup = Current()->Sheet(5).page_setup();
    EXPECT_EQ(setup.paper_size, c.paper);
    EXPECT_EQ(setup.scale, c.zoom);
    EXPECT_EQ(setup.orientation, xlsx::Orientation::Landscape);
    EXPECT_TRUE(setup.center_horizontally);
    EXPECT_TRUE(setup.center_vertically);
  }
}

// Without a preview handler the stand-in prints the sheet into a PDF file
// that the UI driver shows: one preview of the print sheet, at the paper
// chosen; a print that cannot be made is Excel's error, shown by the command,
// and the print sheet is hidden again.
TEST_F(PrintTest, ThePreviewIsThePrintSheetsPdfOrAnErrorShown) {
  excel::SetPrintPreviewHandler(nullptr);
  Open();
  Print("A3");
  ASSERT_EQ(ui_->PrintPreviews().size(), 1u);
  const ui::PrintPreviewRecord& shown = ui_->PrintPreviews()[0];
  EXPECT_EQ(shown.title, U(book_->Sheet(5).Name()));
  EXPECT_EQ(shown.pdf.rfind("%PDF-", 0), 0u);
  EXPECT_NE(shown.pdf.find("/MediaBox [ 0 0 1191 842 ]"), std::string::npos);  // A3 lying
  EXPECT_EQ(Boxes(), std::vector<std::string>{});

  ui_->Clear();
  const char* before = std::getenv("TMPDIR");
  const std::string saved_tmpdir = before ? before : "";
  setenv("TMPDIR", (dir_ + "/no such folder").c_str(), 1);
  Print("A4");
  if (before) {
    setenv("TMPDIR", saved_tmpdir.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  EXPECT_TRUE(ui_->PrintPreviews().empty());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].rfind("PrintPreview method of Worksheet class failed: ", 0), 0u) << Boxes()[0];
  EXPECT_EQ(book_->Sheet(5).Visible(), excel::xlSheetHidden);
  EXPECT_TRUE(AllProtected());
}

TEST_F(PrintTest, CancelAndNoBaseTableWriteNothing) {
  struct Case {
    const char* name;
    std::string e40;
    int dialogs;
  };
  for (const Case& c : {Case{"cancel", "基表1.xls", 1}, Case{"E40 empty", "", 0}, Case{"other text", "基表4.xls", 0},
                        Case{"padded name", " 基表1.xls", 0}}) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    Kind(c.e40);
    Open();
    std::filesystem::last_write_time(path_, std::filesystem::file_time_type{});
    Print("");
    EXPECT_EQ(dialogs_, c.dialogs);
    EXPECT_EQ(previews_, 0);
    EXPECT_EQ(Note(16), "");
    EXPECT_EQ(std::filesystem::last_write_time(path_), std::filesystem::file_time_type{});  // not saved
    EXPECT_TRUE(Boxes().empty());
  }
}

TEST_F(PrintTest, TheDialogAsDesignedAndItsButtons) {
  std::string paper = "kept";
  const auto show = [&](std::function<void(forms::ModalSession&)> act) {
    forms_->show = std::move(act);
    auto form = forms::CreateForm<Tfrm_PrintSet>(paper);
    form->ShowModal();
    return form;
  };
  auto form = show([](forms::ModalSession& s) { s.CloseBox(); });
  EXPECT_EQ(U(form->Caption), "打印设置");
  EXPECT_EQ(form->ClientWidth, 276);
  EXPECT_EQ(form->ClientHeight, 144);
  EXPECT_EQ(U(form->GroupBox1.Caption), "纸张大小");
  EXPECT_EQ(form->cbb_PaperSize.Items(), (std::vector<std::string>{"A3", "A4"}));
  EXPECT_EQ(form->cbb_PaperSize.Text(), "A4");
  EXPECT_EQ(U(form->btn_OK.Caption), "确定(&O)");
  EXPECT_EQ(U(form->btn_Cancel.Caption), "取消(&C)");
  for (const forms::Button* b : {&form->btn_OK, &form->btn_Cancel}) {
    EXPECT_FALSE(b->Default);
    EXPECT_FALSE(b->Cancel);
  }
  EXPECT_EQ(paper, "kept");  // the close box leaves the choice as it was

  show([](forms::ModalSession& s) { s.Click("btn_OK"); });
  EXPECT_EQ(paper, "A4");
  show([](forms::ModalSession& s) {
    s.Pick("cbb_PaperSize", "A3");
    s.Click("btn_OK");
    EXPECT_FALSE(s.Open());
  });
  EXPECT_EQ(paper, "A3");
  show([](forms::ModalSession& s) { s.CloseBox(); });
  EXPECT_EQ(paper, "A3");
  show([](forms::ModalSession& s) { s.Click("btn_Cancel"); });
  EXPECT_EQ(paper, "");
}

// Each call of the stand-in failing in turn: the error is shown (or, while
// E40 is read, goes to the caller), every sheet ends protected, the print
// sheet hidden, the file readable.
TEST_F(PrintTest, FaultSweep) {
  excel::SetPrintPreviewHandler([this](excel::_Worksheet*) { ++previews_; });
  Open();
  excel::fault::Clear();
  Print("A4");
  const int calls = excel::fault::Calls();
  ASSERT_GT(calls, 20);
  for (int k = 1; k <= calls; ++k) {
    SCOPED_TRACE("call " + std::to_string(k) + " fails");
    ui_->Clear();
    excel::fault::Clear();
    excel::fault::Inject("*", k, static_cast<std::int32_t>(0x800A03EC), "injected fault");
    bool thrown = false;
    try {
      Print("A4");
    } catch (const std::exception& error) {
      thrown = std::string(error.what()) == "injected fault";
    }
    const bool fired = excel::fault::Fired() > 0;
    excel::fault::Clear();
    if (fired) {
      EXPECT_TRUE(thrown || Boxes() == std::vector<std::string>{"injected fault"});
    }
    EXPECT_TRUE(AllProtected());
    EXPECT_EQ(book_->Sheet(5).Visible(), excel::xlSheetHidden);
    EXPECT_NO_THROW(Saved());
  }
}

}  // namespace
}  // namespace velmora::testing
