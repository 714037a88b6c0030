// The PDF of a small sheet read back with poppler: the page's size and
// count, and where the texts land (column widths, a merged cell, right
// alignment of numbers, zoom and centring).
#include "excel/preview/pdf_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "pdf_probe.h"

namespace velmora::testing {
namespace {

class PdfWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Output("command -v pdftotext").empty()) GTEST_SKIP() << "poppler-utils is not installed";
    char pattern[] = "/tmp/pdf_writer_test.XXXXXX";
    dir_ = mkdtemp(pattern);
  }
  void TearDown() override {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  // The font's box of a word is taller than the row; its middle lies in the row.
  static void ExpectInRow(const Word& word, double row_top, double row_height) {
    const double middle = (word.y_min + word.y_max) / 2;
    EXPECT_GT(middle, row_top);
    EXPECT_LT(middle, row_top + row_height);
  }
  static const Word* Find(const std::vector<Word>& words, const std::string& text) {
    for (const Word& w : words)
      if (w.text == text) return &w;
    return nullptr;
  }
  std::string dir_;
};

TEST_F(PdfWriterTest, ColumnWidthsAndAMergedCellLandWhereTheSheetPutsThem) {
  struct Case {
    int paper_size, zoom;
    double width, height;
  };
  for (const Case& c : {Case{9, 100, 842, 595}, Case{8, 50, 1191, 842}}) {
    SCOPED_TRACE(c.paper_size);
    auto book = xlsx::Workbook::Create();
    xlsx::Worksheet& sheet = book->AddSheet("打印");
    sheet.SetColumnWidth(1, 1, 20);  // 140 pixels: 105 points
    sheet.SetColumnWidth(3, 3, 10);  // 70 pixels: 52.5 points; B is 48
    sheet.SetValue(1, 1, xlsx::Value::Text("甲乙"));
    sheet.SetValue(1, 2, xlsx::Value::Number(12));
    sheet.SetValue(2, 3, xlsx::Value::Text("丙"));
    sheet.SetValue(3, 1, xlsx::Value::Number(345));
    sheet.SetValue(3, 2, xlsx::Value::Text("covered"));
    sheet.AddMerge("A3:C3");
    xlsx::PageSetup& ps = sheet.page_setup();
    ps.paper_size = c.paper_size, ps.scale = c.zoom, ps.orientation = xlsx::Orientation::Landscape;
    ps.center_horizontally = ps.center_vertically = true;
    const std::string pdf = dir_ + "/sheet.pdf";
    excel::preview::WritePdf(sheet, pdf);

    const PdfInfo info = ReadPdfInfo(pdf);
    EXPECT_EQ(info.pages, 1);
    EXPECT_NEAR(info.width, c.width, 0.5);
    EXPECT_NEAR(info.height, c.height, 0.5);

    // The area is 205.5 by 40.5 points, centred between the margins.
    const double s = c.zoom / 100.0;
    const double left = 50.4 + (c.width - 100.8 - 205.5 * s) / 2;
    const double top = 54 + (c.height - 108 - 40.5 * s) / 2;
    const std::vector<Word> words = ReadWords(pdf, 1);
    const double tolerance = 1.5;
    const Word* jia = Find(words, "甲乙");
    ASSERT_NE(jia, nullptr);
    EXPECT_NEAR(jia->x_min, left + 1.5 * s, tolerance);
    ExpectInRow(*jia, top, 13.5 * s);
    const Word* twelve = Find(words, "12");  // right-aligned in B
    ASSERT_NE(twelve, nullptr);
    EXPECT_NEAR(twelve->x_max, left + (105 + 48 - 1.5) * s, tolerance);
    const Word* bing = Find(words, "丙");  // C2, one row down
    ASSERT_NE(bing, nullptr);
    EXPECT_NEAR(bing->x_min, left + (153 + 1.5) * s, tolerance);
    ExpectInRow(*bing, top + 13.5 * s, 13.5 * s);
    const Word* merged = Find(words, "345");  // right-aligned across A3:C3
    ASSERT_NE(merged, nullptr);
    EXPECT_NEAR(merged->x_max, left + (205.5 - 1.5) * s, tolerance);
    ExpectInRow(*merged, top + 27 * s, 13.5 * s);
    EXPECT_EQ(Find(words, "covered"), nullptr);  // under the merge
  }
}

TEST_F(PdfWriterTest, ASheetTallerThanThePageGoesOnToTheNextPage) {
  auto book = xlsx::Workbook::Create();
  xlsx::Worksheet& sheet = book->AddSheet("s");
  for (int row = 1; row <= 60; ++row) sheet.SetValue(row, 1, xlsx::Value::Text("row" + std::to_string(row)));
  sheet.page_setup().paper_size = 9;
  const std::string pdf = dir_ + "/tall.pdf";
  excel::preview::WritePdf(sheet, pdf);
  EXPECT_EQ(ReadPdfInfo(pdf).pages, 2);
  const std::vector<Word> second = ReadWords(pdf, 2);
  const Word* first = Find(second, "row55");  // 54 rows of 13.5 points fill an upright A4 page
  ASSERT_NE(first, nullptr);
  EXPECT_NEAR(first->x_min, 50.4 + 1.5, 1.5);
  ExpectInRow(*first, 54, 13.5);
  EXPECT_EQ(Find(second, "row54"), nullptr);
}

TEST_F(PdfWriterTest, AFileThatCannotBeWrittenIsAnError) {
  auto book = xlsx::Workbook::Create();
  xlsx::Worksheet& sheet = book->AddSheet("s");
  sheet.SetValue(1, 1, xlsx::Value::Text("x"));
  EXPECT_THROW(excel::preview::WritePdf(sheet, dir_ + "/no/such/folder/x.pdf"), std::runtime_error);
}

}  // namespace
}  // namespace velmora::testing
