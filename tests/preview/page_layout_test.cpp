// Page layout: column widths and row heights in points, the printed area,
// the paper as it lies, the scale, the pages and their centring.
#include "excel/preview/page_layout.h"

#include <gtest/gtest.h>

namespace excel::preview {
namespace {

TEST(PageLayoutTest, ColumnWidthsInCharactersBecomePointsAsTheSpreadsheetShowsThem) {
  auto book = xlsx::Workbook::Create();
  xlsx::Worksheet& sheet = book->AddSheet("s");
  sheet.SetColumnWidth(1, 1, 11);     // 77 pixels
  sheet.SetColumnWidth(2, 2, 4);      // 28 pixels
  sheet.SetColumnWidth(3, 3, 8.43);   // 59 pixels
  sheet.SetColumnWidth(5, 5, 20);
  sheet.SetColumnHidden(5, 5, true);
  struct Case {
    int column;
    double points;
  };
  for (const Case& c : {Case{1, 57.75}, Case{2, 21}, Case{3, 44.25}, Case{4, 48}, Case{5, 0}}) {
    SCOPED_TRACE(c.column);
    EXPECT_DOUBLE_EQ(ColumnPoints(sheet, c.column), c.points);
  }
  sheet.SetRowHeight(2, 30);
  sheet.SetRowHidden(3, true);
  EXPECT_DOUBLE_EQ(RowPoints(sheet, 1), 13.5);
  EXPECT_DOUBLE_EQ(RowPoints(sheet, 2), 30);
  EXPECT_DOUBLE_EQ(RowPoints(sheet, 3), 0);
}

TEST(PageLayoutTest, PaperOrientationScaleAndCentring) {
  struct Case {
    int paper_size;
    xlsx::Orientation orientation;
    int zoom;
    bool fit, centred;
    double width, height, scale;
  };
  // The area: columns B..D of 48 points (merged B2:D2 widens B2:C2), rows 2..3.
  for (const Case& c : {Case{9, xlsx::Orientation::Landscape, 55, false, true, 842, 595, 0.55},
                        Case{8, xlsx::Orientation::Landscape, 77, false, true, 1191, 842, 0.77},
                        Case{0, xlsx::Orientation::Default, 100, false, false, 595, 842, 1},
                        Case{9, xlsx::Orientation::Portrait, 100, true, true, 595, 842, 1}}) {
    SCOPED_TRACE(c.paper_size * 1000 + c.zoom);
    auto book = xlsx::Workbook::Create();
    xlsx::Worksheet& sheet = book->AddSheet("s");
    sheet.SetValue(2, 2, xlsx::Value::Text("a"));
    sheet.SetValue(3, 3, xlsx::Value::Number(1));
    sheet.AddMerge("B2:D2");
    xlsx::PageSetup& ps = sheet.page_setup();
    ps.paper_size = c.paper_size, ps.orientation = c.orientation, ps.scale = c.zoom, ps.fit_to_page = c.fit;
    ps.center_horizontally = ps.center_vertically = c.centred;
    const PageLayout layout = LayOut(sheet);
    EXPECT_EQ(layout.paper.width, c.width);
    EXPECT_EQ(layout.paper.height, c.height);
    EXPECT_DOUBLE_EQ(layout.scale, c.scale);
    EXPECT_EQ(layout.first_row, 2);
    EXPECT_EQ(layout.last_row, 3);
    EXPECT_EQ(layout.first_column, 2);
    EXPECT_EQ(layout.last_column, 4);
    EXPECT_DOUBLE_EQ(layout.X(5), 144);
    EXPECT_DOUBLE_EQ(layout.Y(4), 27);
    ASSERT_EQ(layout.pages.size(), 1u);
    const Page& page = layout.pages[0];
    const double right = c.width - page.left - 144 * c.scale, bottom = c.height - page.top - 27 * c.scale;
    if (c.centred) {
      EXPECT_NEAR(page.left - 50.4, right - 50.4, 1e-9);
      EXPECT_NEAR(page.top - 54, bottom - 54, 1e-9);
    } else {
      EXPECT_DOUBLE_EQ(page.left, 50.4);
      EXPECT_DOUBLE_EQ(page.top, 54);
    }
  }
}

TEST(PageLayoutTest, AnAreaLargerThanThePageIsCutDownThenOver) {
  auto book = xlsx::Workbook::Create();
  xlsx::Worksheet& sheet = book->AddSheet("s");
  // A4 upright at 100 %: 494.2 points across (10 columns of 48), 734 down (54 rows of 13.5).
  sheet.SetValue(1, 1, xlsx::Value::Text("first"));
  sheet.SetValue(60, 12, xlsx::Value::Text("last"));
  sheet.page_setup().paper_size = 9;
  const PageLayout layout = LayOut(sheet);
  ASSERT_EQ(layout.pages.size(), 4u);
  struct Expected {
    int first_row, last_row, first_column, last_column;
  };
  const Expected expected[] = {{1, 54, 1, 10}, {55, 60, 1, 10}, {1, 54, 11, 12}, {55, 60, 11, 12}};
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(layout.pages[i].first_row, expected[i].first_row);
    EXPECT_EQ(layout.pages[i].last_row, expected[i].last_row);
    EXPECT_EQ(layout.pages[i].first_column, expected[i].first_column);
    EXPECT_EQ(layout.pages[i].last_column, expected[i].last_column);
    EXPECT_DOUBLE_EQ(layout.pages[i].left, 50.4);
    EXPECT_DOUBLE_EQ(layout.pages[i].top, 54);
  }
}

TEST(PageLayoutTest, AnEmptySheetPrintsOneEmptyPage) {
  auto book = xlsx::Workbook::Create();
  const PageLayout layout = LayOut(book->AddSheet("s"));
  ASSERT_EQ(layout.pages.size(), 1u);
  EXPECT_LT(layout.pages[0].last_row, layout.pages[0].first_row);
}

}  // namespace
}  // namespace excel::preview
