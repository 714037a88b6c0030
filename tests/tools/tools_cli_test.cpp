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

namespace {

struct Outcome {
  int status = -1;
  std::string out;
};

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
    Outcome outcome;
    FILE* pipe = popen((bin_ + "/velmora " + arguments + " 2>&1").c_str(), "r");
    if (!pipe) return outcome;
    std::array<char, 4096> buffer;
    while (std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe)) outcome.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
  }
  static bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

  std::string bin_, dir_, path_;
};

TEST_F(ToolsCliTest, PrintWritesTheNotesAndAPreviewPageOfThePaperChosen) {
  struct Case {
    const char* paper;
    const char* page;
  };
  for (const Case& c : {Case{"A4", "size: A4 landscape"}, Case{"A3", "size: A3 landscape"}}) {
    SCOPED_TRACE(c.paper);
    const std::string html = dir_ + "/preview.html";
    const Outcome run = Run("print " + path_ + " --paper " + c.paper + " --preview " + html);
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(Has(run.out, "print preview of \"打印\"")) << run.out;
    EXPECT_TRUE(Has(run.out, "B16: 补充资料：1、机构数   1 个。")) << run.out;
    EXPECT_TRUE(Has(run.out, "print sheet hidden, protected")) << run.out;
    std::stringstream page;
    page << std::ifstream(html).rdbuf();
    EXPECT_TRUE(Has(page.str(), c.page));
    EXPECT_TRUE(Has(page.str(), "补充资料：1、机构数"));
  }
  const Outcome cancel = Run("print " + path_ + " --paper cancel");
  EXPECT_EQ(cancel.status, 1) << cancel.out;
  EXPECT_FALSE(Has(cancel.out, "print preview")) << cancel.out;
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
