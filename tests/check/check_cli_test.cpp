// velmora check end to end on returns made from the data set's samples: a
// folder of clean, mistaken and broken returns checked by two workers and
// its report; the verdicts against velmora validate's; the returns' bytes
// left alone; --write flagging as the validate command does; the exit
// statuses.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "excel/xlsx/model.h"
#include "tests/support/run_command.h"
#include "tests/support/file_bytes.h"

namespace fs = std::filesystem;

namespace {

using Outcome = velmora::testing::CommandOutcome;

std::string Bytes(const std::string& path) { return velmora::testing::FileBytes(path); }

class CheckCli : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* bin = std::getenv("VELMORA_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    bin_ = bin;
    if (!fs::exists(bin_ + "/samples/jb1_clean.xlsx") || !fs::exists(bin_ + "/velmora"))
      GTEST_SKIP() << "the samples or velmora are not built";
    char pattern[] = "/tmp/check_cli.XXXXXX";
    dir_ = mkdtemp(pattern);
    setenv("VELMORA_REGISTRY", (dir_ + "/registry.xml").c_str(), 1);
    Run("install");
    fs::create_directories(dir_ + "/returns/sub");
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  Outcome Run(const std::string& arguments) {
    return velmora::testing::RunCommand(bin_ + "/velmora " + arguments);
  }
  // A copy of a sample under returns/, as name (which may name a subfolder).
  std::string Sample(const std::string& sample, const std::string& name) {
    const std::string path = dir_ + "/returns/" + name;
    fs::copy_file(bin_ + "/samples/" + sample + ".xlsx", path);
    return path;
  }
  // A copy of a sample with one cell changed.
  std::string Changed(const std::string& sample, const std::string& name, int sheet, int row,
                      int column, const xlsx::Value& value) {
    const std::string path = Sample(sample, name);
    auto book = xlsx::Workbook::Load(path);
    book->Sheet(sheet).SetValue(row, column, value);
    book->Save(path);
    return path;
  }
  // The broken returns of the issue and a clean one in a subfolder.
  void BrokenReturns() {
    std::ofstream(dir_ + "/returns/not_a_workbook.xlsx") << "PK? no, just text\n";
    Changed("jb1_clean", "no_a40.xlsx", 1, 40, 1, xlsx::Value::Text(""));
    // Fixed assets reduced by -3200 (sheet 4, E12): no rule fails before the run stops there.
    Changed("jb1_clean", "negative.xlsx", 4, 12, 5, xlsx::Value::Number(-3200));
    Sample("jb3_clean", "sub/jb3_clean.xlsx");
  }
  nlohmann::json Check(const std::string& options, int expected_status) {
    const std::string report = dir_ + "/report.json";
    const Outcome outcome = Run("check " + options + " --report " + report);
    EXPECT_EQ(outcome.status, expected_status) << outcome.out;
    try {
      return nlohmann::json::parse(Bytes(report));
    } catch (const std::exception&) {
      ADD_FAILURE() << outcome.out;
      return {};
    }
  }
  // The report's entries by file name relative to returns/.
  std::map<std::string, nlohmann::json> ByName(const nlohmann::json& report) {
    std::map<std::string, nlohmann::json> entries;
    for (const auto& entry : report["returns"])
      entries[fs::relative(entry["file"].get<std::string>(), dir_ + "/returns").string()] = entry;
    return entries;
  }

  std::string bin_, dir_;
};

TEST_F(CheckCli, AFolderOfReturnsIsReportedFileByFile) {
  Sample("jb1_clean", "jb1_clean.xlsx");
  Sample("jb2_mistakes", "jb2_mistakes.xlsx");
  BrokenReturns();
  const nlohmann::json report = Check("--jobs 2 " + dir_ + "/returns", 2);
  EXPECT_EQ(report["summary"],
            nlohmann::json({{"returns", 6}, {"passed", 2}, {"failed", 1}, {"errors", 3}}));
  auto entries = ByName(report);
  ASSERT_EQ(entries.size(), 6u) << report.dump(2);

  struct Expected {
    const char* file;
    const char* verdict;
    const char* code;
    const char* name;
    const char* kind;
    const char* error;  // a part of the error; "" for none
  } expected[] = {
      {"jb1_clean.xlsx", "passed", "11069", "嵩山工学院", "基表1.xls", ""},
      {"sub/jb3_clean.xlsx", "passed", "12811", "南粤理工学院", "基表3.xls", ""},
      {"jb2_mistakes.xlsx", "failed", "30233", "巩义市北山口学校", "基表2.xls",
       "填报数据只能为正整数,请检查填报的数据！13,3"},
      {"not_a_workbook.xlsx", "error", "", "", "", "cannot be opened"},
      {"no_a40.xlsx", "error", "", "", "", "A40 is empty"},
      {"negative.xlsx", "error", "11069", "嵩山工学院", "基表1.xls",
       "填报数据只能为正整数,请检查填报的数据！12,5"},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.file);
    const nlohmann::json& entry = entries[e.file];
    EXPECT_EQ(entry["verdict"], e.verdict);
    EXPECT_EQ(entry["passed"], std::string(e.verdict) == "passed");
    EXPECT_EQ(entry["school_code"], e.code);
    EXPECT_EQ(entry["school_name"], e.name);
    EXPECT_EQ(entry["kind"], e.kind);
    if (*e.error) {
      ASSERT_TRUE(entry["error"].is_string()) << entry.dump(2);
      EXPECT_NE(entry["error"].get<std::string>().find(e.error), std::string::npos)
          << entry["error"];
    } else {
      EXPECT_TRUE(entry["error"].is_null()) << entry.dump(2);
      EXPECT_TRUE(entry["failures"].empty());
    }
  }
  const nlohmann::json& failures = entries["jb2_mistakes.xlsx"]["failures"];
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_EQ(failures[1]["cells"], nlohmann::json::parse(R"([{"sheet": "经费收入", "ref": "C10"},
      {"sheet": "经费收入", "ref": "D10"}, {"sheet": "经费收入", "ref": "E10"}])"));
}

TEST_F(CheckCli, VerdictsAreTheValidateCommands) {
  const std::map<int, std::string> verdict_of_status = {{0, "passed"}, {1, "failed"}, {2, "error"}};
  std::vector<std::string> samples;
  for (const char* kind : {"jb1", "jb2", "jb3"})
    for (const char* sample : {"_clean", "_mistakes"})
      samples.push_back(std::string(kind) + sample);
  for (const std::string& sample : samples) Sample(sample, sample + ".xlsx");
  Changed("jb2_clean", "negative.xlsx", 2, 12, 3, xlsx::Value::Number(-1));
  samples.push_back("negative");
  const auto checked = ByName(Check(dir_ + "/returns", 2));

  for (const std::string& sample : samples) {
    SCOPED_TRACE(sample);
    const std::string copy = dir_ + "/" + sample + ".xlsx";
    fs::copy_file(dir_ + "/returns/" + sample + ".xlsx", copy);
    const Outcome validated = Run("validate --json " + copy);
    const nlohmann::json result = nlohmann::json::parse(validated.out);
    const nlohmann::json& entry = checked.at(sample + ".xlsx");
    EXPECT_EQ(entry["verdict"], verdict_of_status.at(validated.status));
    ASSERT_EQ(entry["failures"].size(), result["rows"].size());
    for (std::size_t i = 0; i < result["rows"].size(); ++i) {
      EXPECT_EQ(entry["failures"][i]["type"], result["rows"][i]["type"]);
      EXPECT_EQ(entry["failures"][i]["message"], result["rows"][i]["message"]);
      EXPECT_EQ(entry["failures"][i]["cells"], result["rows"][i]["cells"]);
    }
    // The message box of a stopped run is the check's error.
    for (const auto& message : result["messages"]) {
      if (message != "提示：交验全部通过！") {
        EXPECT_EQ(entry["error"], message);
      }
    }
  }
}

TEST_F(CheckCli, ReturnsAreLeftUntouchedUnlessWriteIsGiven) {
  const std::vector<std::string> files = {
      Sample("jb1_clean", "a.xlsx"), Sample("jb3_mistakes", "b.xlsx"),
      Changed("jb2_mistakes", "flagged.xlsx", 1, 40, 2, xlsx::Value::Text("ok"))};
  std::vector<std::string> before;
  for (const std::string& file : files) before.push_back(Bytes(file));
  Check("--jobs 2 " + dir_ + "/returns", 1);
  for (std::size_t i = 0; i < files.size(); ++i) EXPECT_EQ(Bytes(files[i]), before[i]) << files[i];

  // With --write: the clean return flagged "ok" and protected as the validate
  // command leaves it; a failing one loses the "ok" it had.
  Check("--write " + dir_ + "/returns", 1);
  const std::string validated = dir_ + "/validated.xlsx";
  fs::copy_file(bin_ + "/samples/jb1_clean.xlsx", validated);
  EXPECT_EQ(Run("validate " + validated).status, 0);
  const auto by_validate = xlsx::Workbook::Load(validated);
  const auto by_check = xlsx::Workbook::Load(files[0]);
  EXPECT_EQ(by_check->Sheet(1).GetValue(40, 2).text, "ok");
  for (int n = 1; n <= 5; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(by_check->Sheet(n).IsProtected(), by_validate->Sheet(n).IsProtected());
    for (int row = 10; row <= 20; ++row)
      EXPECT_EQ(by_check->Sheet(n).ColorIndex(row, 7), by_validate->Sheet(n).ColorIndex(row, 7));
  }
  EXPECT_EQ(xlsx::Workbook::Load(files[1])->Sheet(1).GetValue(40, 2).text, "");
  EXPECT_EQ(xlsx::Workbook::Load(files[2])->Sheet(1).GetValue(40, 2).text, "");
}

// One worker opens both: the first must be closed before the second of the
// same name can be opened.
TEST_F(CheckCli, ReturnsOfTheSameNameInDifferentFoldersAreEachChecked) {
  fs::create_directories(dir_ + "/returns/other");
  Sample("jb1_mistakes", "sub/school.xlsx");
  Sample("jb2_clean", "other/school.xlsx");
  const auto entries = ByName(Check("--jobs 1 " + dir_ + "/returns", 1));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries.at("sub/school.xlsx")["verdict"], "failed");
  EXPECT_EQ(entries.at("other/school.xlsx")["verdict"], "passed");
  EXPECT_EQ(entries.at("other/school.xlsx")["school_code"], "30233");
}

TEST_F(CheckCli, ExitStatusAndCsvReport) {
  Sample("jb1_clean", "a.xlsx");
  EXPECT_EQ(Run("check " + dir_ + "/returns").status, 0);
  const std::string mistakes = Sample("jb1_mistakes", "sub/b.xlsx");
  EXPECT_EQ(Run("check " + dir_ + "/returns").status, 1);
  EXPECT_EQ(Run("check " + dir_ + "/returns/a.xlsx " + dir_ + "/missing.xlsx").status, 2);
  EXPECT_EQ(Run("check " + dir_ + "/empty-folder-that-is-not-there/").status, 2);
  EXPECT_EQ(Run("check --report " + dir_ + "/r.txt " + dir_ + "/returns").status, 2);

  const Outcome csv = Run("check --jobs 2 --report " + dir_ + "/r.csv " + dir_ + "/returns");
  EXPECT_EQ(csv.status, 1) << csv.out;
  std::istringstream rows(Bytes(dir_ + "/r.csv"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(rows, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 4u) << Bytes(dir_ + "/r.csv");  // header, a.xlsx, two failures of b.xlsx
  EXPECT_EQ(lines[0], "file,school_code,school_name,kind,verdict,type,message,cells,error\r");
  EXPECT_EQ(lines[1], dir_ + "/returns/a.xlsx,11069,嵩山工学院,基表1.xls,passed,,,,\r");
  EXPECT_TRUE(lines[2].starts_with(mistakes + ",11069,嵩山工学院,基表1.xls,failed,强制,"))
      << lines[2];
  EXPECT_NE(lines[2].find(",基本情况!G10 基本情况!G11 "), std::string::npos) << lines[2];
}

}  // namespace
