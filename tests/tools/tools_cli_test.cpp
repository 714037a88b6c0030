// velmora switch, print and explain end to end on a sample return of the
// data set, through the toolbar buttons of the loaded add-in.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "excel/xlsx/model.h"
#include "tests/preview/pdf_probe.h"
#include "tests/tools/png_picture.h"
#include "tests/support/run_command.h"

namespace {

using Outcome = velmora::testing::CommandOutcome;

class ToolsCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bin_ = VELMORA_TEST_BIN_DIR;
    if (!std::filesystem::exists(bin_ + "/samples/jb2_clean.xlsx") || !std::filesystem::exists(bin_ + "/velmora"))
      GTEST_SKIP() << "the samples or velmora are not built";
    char pattern[] = "/tmp/tools_cli.XXXXXX";
    dir_ = mkdtemp(pattern);
    setenv("VELMORA_REGISTRY", (dir_ + "/registry.xml").c_str(), 1);
    Run("install");
    path_ = dir_ + "/jb2.xlsx";
    std::filesystem::copy_file(bin_ + "/samples/jb2_clean.xlsx", path_);
  }
  void TearDown() override {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  Outcome Run(const std::string& arguments) {
    return velmora::testing::RunCommand(bin_ + "/velmora " + arguments);
  }
  static bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

  std::string bin_, dir_, path_;
};

// The preview of the sample at A4 and at A3, rendered to PNG at 72 dpi (a
// pixel a point): the paper's size, landscape, the printed block centred
// between the margins, and the notes in the PDF as Chinese text.
TEST_F(ToolsCliTest, PrintWritesTheNotesAndAPreviewOfThePaperChosen) {
  if (velmora::testing::Output("command -v pdftoppm").empty()) GTEST_SKIP() << "poppler-utils is not installed";
  struct Case {
    const char* paper;
    int width, height;
  };
  for (const Case& c : {Case{"A4", 842, 595}, Case{"A3", 1191, 842}}) {
    SCOPED_TRACE(c.paper);
    const std::string pdf = dir_ + "/preview.pdf";
    const Outcome run = Run("print " + path_ + " --paper " + c.paper + " --preview " + pdf);
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(Has(run.out, "print preview of \"打印\"")) << run.out;
    EXPECT_TRUE(Has(run.out, "preview written to " + pdf)) << run.out;
    EXPECT_TRUE(Has(run.out, "B16: 补充资料：1、机构数   1 个。")) << run.out;
    EXPECT_TRUE(Has(run.out, "print sheet hidden, protected")) << run.out;

    const std::string text = velmora::testing::Output("pdftotext '" + pdf + "' -");
    EXPECT_TRUE(Has(text, "补充资料：1、机构数")) << text;
    EXPECT_TRUE(Has(text, "本年还本付息")) << text;
    // The digest is one page at either paper.
    ASSERT_EQ(velmora::testing::ReadPdfInfo(pdf).pages, 1);
    velmora::testing::Output("pdftoppm -r 72 -png '" + pdf + "' '" + dir_ + "/page'");
    const velmora::testing::Picture picture = velmora::testing::ReadPng(dir_ + "/page-1.png");
    EXPECT_EQ(picture.width, c.width);
    EXPECT_EQ(picture.height, c.height);
    EXPECT_GT(picture.width, picture.height);  // landscape
    const velmora::testing::InkBox ink = picture.Ink();
    ASSERT_TRUE(ink.any);
    // The first column's texts and the notes clipped at column P mark the
    // block's left and right edges, its first and last rows the top and bottom.
    EXPECT_NEAR(ink.left, picture.width - 1 - ink.right, 6);
    EXPECT_NEAR(ink.top, picture.height - 1 - ink.bottom, 6);
  }
  const Outcome cancel = Run("print " + path_ + " --paper cancel");
  EXPECT_EQ(cancel.status, 1) << cancel.out;
  EXPECT_FALSE(Has(cancel.out, "print preview")) << cancel.out;
}

// A preview path that cannot be written: the preview fails, the command
// shows why and hides the print sheet again; no preview counts as shown.
TEST_F(ToolsCliTest, APreviewThatCannotBeWrittenIsShownAsTheCommandsError) {
  const std::string pdf = dir_ + "/no such folder/preview.pdf";
  const Outcome run = Run("print " + path_ + " --paper A4 --preview '" + pdf + "'");
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_TRUE(Has(run.out, "message box [")) << run.out;
  EXPECT_TRUE(Has(run.out, "the print preview cannot be written to " + pdf)) << run.out;
  EXPECT_FALSE(Has(run.out, "preview written to")) << run.out;
  EXPECT_TRUE(Has(run.out, "print sheet hidden, protected")) << run.out;
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(ToolsCliTest, ExplainShowsTheDialogOrTheHint) {
  const Outcome total = Run("explain " + path_ + " --sheet 1 --cell E10");
  EXPECT_EQ(total.status, 0) << total.out;
  EXPECT_TRUE(Has(total.out, "\" RY01: 教职工年初人数（合计）\"")) << total.out;
  const Outcome other = Run("explain " + path_ + " --sheet 1 --cell A1");
  EXPECT_EQ(other.status, 1) << other.out;
  EXPECT_TRUE(Has(other.out, "提示:请先在可编辑的区域的合计行上激活想要查看指标解释的单元格！")) << other.out;
}

TEST_F(ToolsCliTest, SwitchWalksTheCellListFromRunToRun) {
  {
    auto book = xlsx::Workbook::Load(path_);
    book->Sheet(1).SetValue(40, 6, xlsx::Value::Text("1,10,5|2,10,3"));
    book->Save(path_);
  }
  const Outcome first = Run("switch " + path_);
  EXPECT_EQ(first.status, 0) << first.out;
  EXPECT_TRUE(Has(first.out, "!E10")) << first.out;
  EXPECT_TRUE(Has(first.out, "G40: \"0\"")) << first.out;
  const Outcome second = Run("switch " + path_);
  EXPECT_TRUE(Has(second.out, "!C10")) << second.out;
  EXPECT_TRUE(Has(second.out, "G40: \"1\"")) << second.out;
  const auto saved = xlsx::Workbook::Load(path_);
  for (int n = 1; n <= 5; ++n) EXPECT_TRUE(saved->Sheet(n).IsProtected()) << "sheet " << n;
}

}  // namespace
