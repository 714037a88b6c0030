// velmora demo from a fresh registry: the year's walk ends with a return that
// passes validation, holding the school's right figures, and the files its
// summary names are there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli_run.h"
#include "excel/xlsx/model.h"
#include "tests/support/file_bytes.h"

namespace {

namespace fs = std::filesystem;
using velmora::testing::CliOutcome;

std::string Bytes(const std::string& path) { return velmora::testing::FileBytes(path); }

class DemoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bin_ = fs::path(velmora::testing::VelmoraPath()).parent_path().string();
    if (!fs::exists(bin_ + "/samples/jb1_clean.xlsx")) GTEST_SKIP() << "the samples are not built";
    char pattern[] = "/tmp/velmora-demo-test-XXXXXX";
    dir_ = mkdtemp(pattern);
    registry_ = dir_ + "/registry.xml";
    ASSERT_EQ(Run("install").status, 0);
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }
  CliOutcome Run(const std::string& arguments) {
    return velmora::testing::RunVelmora(registry_, arguments);
  }

  // The file names the summary lists under "files made in".
  static std::vector<std::string> SummaryFiles(const std::string& out) {
    std::vector<std::string> files;
    std::istringstream lines(out.substr(out.find("files made in")));
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line) && line.rfind("  ", 0) == 0)
      files.push_back(line.substr(2, line.rfind(" (") - 2));
    return files;
  }

  std::string bin_, dir_, registry_;
};

TEST_F(DemoTest, WalksTheYearToAReturnThatPasses) {
  const std::string folder = dir_ + "/year";
  const CliOutcome demo = Run("demo --dir '" + folder + "'");
  ASSERT_EQ(demo.status, 0) << demo.out;

  // It needed corrections, and the last run of the validation passed.
  EXPECT_NE(demo.out.find("校验, run 2"), std::string::npos) << demo.out;
  const std::size_t last_run = demo.out.rfind("校验, run");
  EXPECT_NE(demo.out.find("message box [velmora] 提示：交验全部通过！", last_run),
            std::string::npos)
      << demo.out;
  EXPECT_EQ(demo.out.find("not passed yet", last_run), std::string::npos) << demo.out;
  // The cell locked for the school refused the user's typing.
  EXPECT_NE(demo.out.find("The cell or chart you're trying to change is on a protected sheet"),
            std::string::npos);

  const std::vector<std::string> files = SummaryFiles(demo.out);
  ASSERT_EQ(files.size(), 2u) << demo.out;
  for (const std::string& file : files) EXPECT_TRUE(fs::exists(folder + "/" + file)) << file;
  const std::string return_path = folder + "/" + files[0];
  ASSERT_EQ(fs::path(return_path).extension(), ".xlsx");

  const CliOutcome validate = Run("validate '" + return_path + "'");
  EXPECT_EQ(validate.status, 0) << validate.out;
  EXPECT_NE(validate.out.find("flag: \"ok\""), std::string::npos) << validate.out;

  // Every input cell holds the school's right figure, and the cell locked
  // for the school stayed empty.
  const auto made = xlsx::Workbook::Load(return_path);
  const auto books = xlsx::Workbook::Load(bin_ + "/samples/jb1_clean.xlsx");
  for (int sheet = 1; sheet <= 4; ++sheet) {
    for (const auto& [row, cells] : books->Sheet(sheet).rows()) {
      for (const auto& [column, cell] : cells.cells) {
        if (row >= 40 || books->Sheet(sheet).Locked(row, column) || cell.has_formula) continue;
        EXPECT_EQ(made->Sheet(sheet).GetValue(row, column), cell.value)
            << "sheet " << sheet << " " << xlsx::CellName(row, column);
      }
    }
  }
  EXPECT_TRUE(made->Sheet(2).GetValue(12, 3).empty());
  EXPECT_TRUE(made->Sheet(2).Locked(12, 3));

  // The preview is the print as a PDF file.
  EXPECT_EQ(fs::path(files[1]).extension(), ".pdf");
  EXPECT_EQ(Bytes(folder + "/" + files[1]).rfind("%PDF-", 0), 0u);
}

TEST_F(DemoTest, WantsAFreshFolder) {
  const std::string folder = dir_ + "/used";
  fs::create_directory(folder);
  std::ofstream(folder + "/mine.txt") << "kept";
  const CliOutcome demo = Run("demo --dir '" + folder + "'");
  EXPECT_EQ(demo.status, 2) << demo.out;
  EXPECT_NE(demo.out.find("not empty"), std::string::npos) << demo.out;
  EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(folder), fs::directory_iterator()).size(),
            1u);
}

}  // namespace
