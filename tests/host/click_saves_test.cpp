// velmora click saves on leaving what the click changed, as the user answers
// the spreadsheet's question on closing: FILE, and a workbook the click made.
// A click that changes nothing leaves FILE as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "cli_run.h"
#include "excel/xlsx/model.h"
#include "tests/support/file_bytes.h"

namespace {

namespace fs = std::filesystem;

std::string Bytes(const std::string& path) { return velmora::testing::FileBytes(path); }

TEST(ClickSaves, WhatTheClickChanged) {
  const std::string bin = fs::path(velmora::testing::VelmoraPath()).parent_path().string();
  if (!fs::exists(bin + "/samples/jb1_mistakes.xlsx")) GTEST_SKIP() << "the samples are not built";
  char pattern[] = "/tmp/velmora-click-test-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  const std::string registry = dir + "/registry.xml";
  ASSERT_EQ(velmora::testing::RunVelmora(registry, "install").status, 0);

  struct Case {
    const char* name;
    const char* button;
    const char* sample;  // copied to dir/file.xlsx and given as FILE; null: no FILE
    std::string answers;
    std::function<void(const std::string& file, const std::string& before)> check;
  };
  const std::vector<Case> cases = {
      {"a double-click in the result list: its cell list in F40", "校验1", "jb1_mistakes",
       "dblclick DBGrid1 1\n",
       [](const std::string& file, const std::string&) {
         EXPECT_EQ(xlsx::Workbook::Load(file)->Sheet(1).GetValue(40, 6).text,
                   "1,10,7|1,11,7|1,12,7|1,13,7|1,14,7|1,15,7|1,16,7|1,17,7");
       }},
      {"the school's new workbook: the cells locked for it", "设置学校信息1", nullptr,
       "click btnXXSelect\nset edt1 11069\ndblclick xxdbgrd 1\nclick btnok\nsave " + dir +
           "/new.xlsx\n",
       [&](const std::string&, const std::string&) {
         ASSERT_TRUE(fs::exists(dir + "/new.xlsx"));
         EXPECT_FALSE(xlsx::Workbook::Load(bin + "/TANVIK1")->Sheet(2).Locked(12, 3));
         EXPECT_TRUE(xlsx::Workbook::Load(dir + "/new.xlsx")->Sheet(2).Locked(12, 3));
       }},
      {"nothing changed: FILE as it was", "关于", "jb1_clean", "click btnOK\n",
       [](const std::string& file, const std::string& before) { EXPECT_EQ(Bytes(file), before); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = dir + "/file.xlsx";
    fs::remove(file);
    if (c.sample) fs::copy_file(bin + "/samples/" + c.sample + ".xlsx", file);
    const std::string before = c.sample ? Bytes(file) : "";
    std::ofstream(dir + "/answers.txt") << c.answers;
    const velmora::testing::CliOutcome click = velmora::testing::RunVelmora(
        registry, std::string("click ") + c.button + (c.sample ? " '" + file + "'" : "") +
                      " --answers '" + dir + "/answers.txt'");
    EXPECT_EQ(click.status, 0) << click.out;
    c.check(file, before);
  }
  fs::remove_all(dir);
}

}  // namespace
