// The base-table conventions: kinds, codes, positions and cell lists.
#include <gtest/gtest.h>

#include "addin/text/conversions.h"
#include "addin/workbook/base_table.h"

using namespace velmora::base_table;

TEST(Kinds, TemplateNamesAndFiles) {
  EXPECT_EQ(TemplateName(Kind::One), "\xBB\xF9\xB1\xED" "1.xls");  // 基表1.xls in GBK
  EXPECT_EQ(TemplateName(Kind::Three), "\xBB\xF9\xB1\xED" "3.xls");
  EXPECT_EQ(TemplateName(Kind::None), "");
  EXPECT_EQ(TemplateFile(Kind::Two), "TANVIK2");
  for (Kind k : {Kind::One, Kind::Two, Kind::Three}) EXPECT_EQ(KindOfTemplateName(TemplateName(k)), k);
  // E40 must hold the name exactly.
  for (const char* other : {"", " \xBB\xF9\xB1\xED" "1.xls", "\xBB\xF9\xB1\xED" "1.xls ", "\xBB\xF9\xB1\xED" "4.xls",
                            "\xBB\xF9\xB1\xED" "1.XLS", "TANVIK1"})
    EXPECT_EQ(KindOfTemplateName(other), Kind::None) << other;
}

TEST(Sheets, CodesAndNumbers) {
  EXPECT_EQ(SheetCode(Kind::One, 2), "J1_2");
  EXPECT_EQ(SheetCode(Kind::Two, 4), "J2_4");
  EXPECT_EQ(SheetCode(Kind::Three, 1), "");
  EXPECT_EQ(SheetNumberOfCode("J1_2"), 2);
  EXPECT_EQ(SheetNumberOfCode("J3_12"), 12);
  EXPECT_EQ(SheetNumberOfCode("ABC4"), 4);
  for (const char* bad : {"J1_", "J1", "", "J1_x", "J1_2a"})
    EXPECT_THROW(SheetNumberOfCode(bad), velmora::ConversionError) << bad;
}

TEST(Positions, TextsAndParsing) {
  EXPECT_EQ(CellPositionText({3, 12, 5}), "3,12,5");
  std::vector<CellPosition> list = {{1, 12, 5}, {2, 8, 3}};
  EXPECT_EQ(CellListText(list), "1,12,5|2,8,3");
  EXPECT_EQ(CellListText({}), "");
  EXPECT_EQ(ParseCellList("1,12,5|2,8,3"), list);
  EXPECT_EQ(ParseCellList(" 1, 12, 5|| 2,8,3|"), list);  // blanks before numbers, empty items dropped
  EXPECT_TRUE(ParseCellList("").empty());
  EXPECT_TRUE(ParseCellList("|||").empty());
  EXPECT_THROW(ParseCellPosition("1,12"), std::invalid_argument);
  EXPECT_THROW(ParseCellPosition("1,x,5"), velmora::ConversionError);
  EXPECT_THROW(ParseCellList("1,12,5|2,8"), std::invalid_argument);
}

TEST(Protection, StandardOptionsAndBookkeepingCells) {
  EXPECT_STREQ(kSheetPassword, "Kq7vXr42ZpmLt");
  EXPECT_FALSE(kStandardProtection.drawing_objects);
  EXPECT_TRUE(kStandardProtection.contents);
  EXPECT_TRUE(kStandardProtection.scenarios);
  EXPECT_FALSE(kStandardProtection.user_interface_only);
  EXPECT_EQ(kInfoStringCell.column, 1);
  EXPECT_EQ(kValidationFlagCell.column, 2);
  EXPECT_EQ(kTemplateNameCell.column, 5);
  EXPECT_EQ(kCellListCell.column, 6);
  EXPECT_EQ(kSwitchCounterCell.column, 7);
  EXPECT_EQ(kSheetCodeCell.column, 10);
  EXPECT_EQ(kYearCell.column, 20);
  for (auto c : {kInfoStringCell, kValidationFlagCell, kTemplateNameCell, kCellListCell, kSwitchCounterCell,
                 kSheetCodeCell, kYearCell})
    EXPECT_EQ(c.row, 40);
}
