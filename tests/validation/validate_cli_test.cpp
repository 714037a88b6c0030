// velmora validate end to end on the sample returns of the data set: the
// host starts with the installed add-in, opens the workbook, clicks "校验",
// and the command prints the result list, the messages and the flag.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>

#include "excel/xlsx/model.h"
#include "tests/support/run_command.h"

namespace {

using Outcome = velmora::testing::CommandOutcome;

class ValidateCli : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* bin = std::getenv("VELMORA_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    bin_ = bin;
    if (!std::filesystem::exists(bin_ + "/samples/jb1_clean.xlsx") || !std::filesystem::exists(bin_ + "/velmora"))
      GTEST_SKIP() << "the samples or velmora are not built";
    char pattern[] = "/tmp/validate_cli.XXXXXX";
    dir_ = mkdtemp(pattern);
    setenv("VELMORA_REGISTRY", (dir_ + "/registry.xml").c_str(), 1);
    ASSERT_EQ(Run("install").status, 0);
  }
  void TearDown() override {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  Outcome Run(const std::string& arguments) {
    return velmora::testing::RunCommand(bin_ + "/velmora " + arguments);
  }
  // A copy of a sample in the test's folder.
  std::string Sample(const std::string& name) {
    const std::string path = dir_ + "/" + name + ".xlsx";
    std::filesystem::copy_file(bin_ + "/samples/" + name + ".xlsx", path);
    return path;
  }
  nlohmann::json Validate(const std::string& path, int expected_status, const std::string& options = "") {
    const Outcome outcome = Run("validate --json " + options + " " + path);
    EXPECT_EQ(outcome.status, expected_status) << outcome.out;
    try {
      return nlohmann::json::parse(outcome.out);
    } catch (const std::exception&) {
      ADD_FAILURE() << outcome.out;
      return {};
    }
  }

  std::string bin_, dir_;
};

TEST_F(ValidateCli, CleanSamplesPassAndAreFlagged) {
  for (const char* name : {"jb1_clean", "jb2_clean", "jb3_clean"}) {
    SCOPED_TRACE(name);
    const std::string path = Sample(name);
    const nlohmann::json result = Validate(path, 0);
    EXPECT_EQ(result["flag"], "ok");
    EXPECT_TRUE(result["rows"].empty());
    EXPECT_EQ(result["messages"], nlohmann::json::array({"提示：交验全部通过！"}));
    EXPECT_EQ(xlsx::Workbook::Load(path)->Sheet(1).GetValue(40, 2).text, "ok");
  }
}

TEST_F(ValidateCli, AReturnThatNoLongerPassesLosesItsFlagOnDisk) {
  const std::string path = Sample("jb1_clean");
  EXPECT_EQ(Validate(path, 0)["flag"], "ok");
  ASSERT_EQ(Run("type " + path + " 1 D10 984").status, 0);
  EXPECT_EQ(Validate(path, 1)["flag"], "");
  EXPECT_EQ(xlsx::Workbook::Load(path)->Sheet(1).GetValue(40, 2).text, "");
}

// The cells of a row as "sheet!ref" texts.
std::vector<std::string> Cells(const nlohmann::json& row) {
  std::vector<std::string> cells;
  for (const auto& cell : row["cells"]) cells.push_back(cell["sheet"].get<std::string>() + "!" + cell["ref"].get<std::string>());
  return cells;
}

struct MistakeCase {
  const char* sample;
  std::vector<std::string> first_cells, second_cells;
  const char* stop;  // the end of the message of the run's stop
  std::string f40;   // the cell list of row 1
  int row, column;   // the first cell of row 1
};

TEST_F(ValidateCli, MistakenSamplesListTheirFailuresMandatoryFirstAndPickMarksTheCells) {
  const MistakeCase cases[] = {
      {"jb1_mistakes",
       {"基本情况!G10", "基本情况!G11", "基本情况!G12", "基本情况!G13", "基本情况!G14", "基本情况!G15", "基本情况!G16",
        "基本情况!G17"},
       {"基本情况!G10", "基本情况!D10", "基本情况!E10", "基本情况!F10"},
       "||填报数据只能为正整数,请检查填报的数据！18,4",
       "1,10,7|1,11,7|1,12,7|1,13,7|1,14,7|1,15,7|1,16,7|1,17,7", 10, 7},
      {"jb2_mistakes",
       {"经费收入!C10", "经费收入!C11", "经费收入!C14", "经费收入!C17", "经费收入!C20", "经费收入!C21"},
       {"经费收入!C10", "经费收入!D10", "经费收入!E10"},
       "||填报数据只能为正整数,请检查填报的数据！13,3",
       "2,10,3|2,11,3|2,14,3|2,17,3|2,20,3|2,21,3", 10, 3},
      {"jb3_mistakes",
       {"经费支出!C10", "经费支出!D10", "经费支出!I10", "经费支出!M10", "经费支出!O10"},
       {"经费支出!C10", "经费支出!C11", "经费支出!C16", "经费支出!C17"},
       "||填报数据只能为正整数,请检查填报的数据！11,4",
       "3,10,3|3,10,4|3,10,9|3,10,13|3,10,15", 10, 3},
  };
  for (const MistakeCase& c : cases) {
    SCOPED_TRACE(c.sample);
    const std::string path = Sample(c.sample);
    const nlohmann::json result = Validate(path, 1, "--pick 1");
    EXPECT_EQ(result["flag"], "");
    ASSERT_EQ(result["rows"].size(), 2u) << result.dump(2);
    for (const auto& row : result["rows"]) EXPECT_EQ(row["type"], "强制");
    EXPECT_EQ(Cells(result["rows"][0]), c.first_cells);
    EXPECT_EQ(Cells(result["rows"][1]), c.second_cells);
    ASSERT_EQ(result["messages"].size(), 1u) << result.dump(2);
    const std::string stop = result["messages"][0];
    EXPECT_TRUE(stop.ends_with(c.stop)) << stop;
    const auto saved = xlsx::Workbook::Load(path);
    EXPECT_EQ(saved->Sheet(1).GetValue(40, 6).text, c.f40);
    const int sheet = c.f40[0] - '0';
    EXPECT_EQ(saved->Sheet(sheet).ColorIndex(c.row, c.column), 38);
    EXPECT_EQ(saved->active_sheet(), sheet);
    for (int n = 1; n <= 5; ++n) EXPECT_TRUE(saved->Sheet(n).IsProtected()) << n;
  }
}

TEST_F(ValidateCli, WhatCannotBeValidated) {
  EXPECT_EQ(Run("validate " + dir_ + "/none.xlsx").status, 2);
  const std::string path = Sample("jb1_clean");
  auto book = xlsx::Workbook::Load(path);
  book->Sheet(1).SetValue(40, 1, xlsx::Value::Text("2009|41010200|21|112|11069|x"));
  book->Save(path);
  const Outcome outcome = Run("validate " + path);
  EXPECT_EQ(outcome.status, 2) << outcome.out;
  EXPECT_NE(outcome.out.find("the validation dialog was not opened"), std::string::npos) << outcome.out;
  EXPECT_EQ(Run("validate --pick 3 " + Sample("jb2_mistakes")).status, 2);
}

}  // namespace
