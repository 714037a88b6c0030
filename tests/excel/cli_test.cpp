// velmora show and velmora type on a LibreOffice-made fixture.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>

#include "excel/xlsx/model.h"
#include "test_zip.h"
#include "tests/support/run_command.h"

namespace {

using CliRun = velmora::testing::CommandOutcome;

CliRun Velmora(const std::string& args) {
  const char* bin = std::getenv("VELMORA_BIN_DIR");
  return velmora::testing::RunCommand(std::string(bin ? bin : ".") + "/velmora " + args);
}

std::string Fixture() { return std::string(EXCEL_FIXTURES) + "/base_table.xlsx"; }

}  // namespace

TEST(Cli, ShowJson) {
  CliRun r = Velmora("show " + Fixture() + " --json");
  ASSERT_EQ(r.status, 0) << r.out;
  for (const char* expected :
       {"\"name\": \"基表一\"", "\"code\": \"J1_1\"", "\"visible\": false", "\"protected\": true",
        "{\"ref\": \"C5\", \"text\": \"\", \"locked\": false, \"colorIndex\": 15}",
        "{\"ref\": \"D10\", \"text\": \"\", \"locked\": false, \"colorIndex\": 38}",
        "{\"ref\": \"C3\", \"text\": \"0050\", \"locked\": true, \"colorIndex\": -4142}"})
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
}

TEST(Cli, ShowRefusesALegacyWorkbook) {
  std::string dir = testzip::TempDir();
  testzip::WriteFile(dir + "/old.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(512, '\0'));
  CliRun r = Velmora("show " + dir + "/old.xls");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("save it as an Excel workbook (.xlsx) first"), std::string::npos) << r.out;
}

TEST(Cli, TypeIsRefusedOnALockedCellAndLeavesTheFile) {
  std::string dir = testzip::TempDir();
  std::string path = dir + "/book.xlsx";
  testzip::WriteFile(path, testzip::ReadFile(Fixture()));
  CliRun r = Velmora("type " + path + " 1 A3 x");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("protected sheet"), std::string::npos) << r.out;
  EXPECT_EQ(testzip::ReadFile(path), testzip::ReadFile(Fixture()));
}

TEST(Cli, TypeConvertsAsExcelAndSaves) {
  std::string dir = testzip::TempDir();
  std::string path = dir + "/book.xlsx";
  testzip::WriteFile(path, testzip::ReadFile(Fixture()));
  ASSERT_EQ(Velmora("type " + path + " 1 C10 0050").status, 0);
  ASSERT_EQ(Velmora("type " + path + " 1 C4 0050").status, 0);  // formatted as Text
  ASSERT_EQ(Velmora("type " + path + " 收入 D10 12%").status, 0);
  auto book = xlsx::Workbook::Load(path);
  EXPECT_EQ(book->Sheet(1).GetValue(10, 3).number, 50);
  EXPECT_EQ(book->Sheet(1).GetValue(4, 3).text, "0050");
  EXPECT_DOUBLE_EQ(book->Sheet(2).GetValue(10, 4).number, 0.12);
  EXPECT_TRUE(book->Sheet(1).IsProtected());
  EXPECT_TRUE(book->Sheet(1).protection().Verify("Kq7vXr42ZpmLt"));
  EXPECT_EQ(book->Sheet(5).visibility(), xlsx::Visibility::Hidden);
  EXPECT_EQ(Velmora("type " + path + " 5 A5 x").status, 1);   // hidden
  EXPECT_EQ(Velmora("type " + path + " 9 A5 x").status, 1);   // no such sheet
  EXPECT_EQ(Velmora("type " + path + " 1 A0 x").status, 2);   // no such cell
}
