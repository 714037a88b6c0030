// The workbook model: values, conversions, passwords, styles, round trips.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "excel/xlsx/model.h"
#include "test_zip.h"

using namespace xlsx;

TEST(CellNames, RoundTrip) {
  EXPECT_EQ(ColumnName(1), "A");
  EXPECT_EQ(ColumnName(26), "Z");
  EXPECT_EQ(ColumnName(27), "AA");
  EXPECT_EQ(ColumnName(16384), "XFD");
  int r, c;
  ASSERT_TRUE(ParseCellName("$J$40", r, c));
  EXPECT_EQ(r, 40);
  EXPECT_EQ(c, 10);
  EXPECT_FALSE(ParseCellName("A0", r, c));
  EXPECT_FALSE(ParseCellName("XFE1", r, c));
  EXPECT_FALSE(ParseCellName("A1048577", r, c));
  EXPECT_FALSE(ParseCellName("1A", r, c));
}

TEST(LegacyHash, KnownVectors) {
  EXPECT_EQ(LegacyPasswordHash(u"test"), 0xCBEB);
  EXPECT_EQ(LegacyPasswordHash(u"password"), 0x83AF);
}

// MS-XLS's own description: every character rotated left within 15 bits by
// its 1-based position, all XORed with the length and 0xCE4B.
static std::uint16_t PositionalHash(std::u16string_view p) {
  unsigned h = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    unsigned v = p[i] & 0x7FFF;
    unsigned r = (i + 1) % 15;
    h ^= ((v << r) | (v >> (15 - r))) & 0x7FFF;
  }
  return static_cast<std::uint16_t>(h ^ p.size() ^ 0xCE4B);
}

TEST(LegacyHash, LongPasswordsAgreeWithPositionalForm) {
  EXPECT_EQ(LegacyPasswordHash(u"Kq7vXr42ZpmLt"), 0xAA5C);
  EXPECT_EQ(LegacyPasswordHash(u"ABCDEFGHIJKLMNOPQRSTUVWX"), 0xECD1);        // 24
  EXPECT_EQ(LegacyPasswordHash(u"abcdefghijklmnopqrstuvwxyz0123"), 0xF8CC);  // 30
  std::u16string p;
  for (int n = 1; n <= 255; ++n) {
    p += static_cast<char16_t>('!' + (n * 7) % 90);
    EXPECT_EQ(LegacyPasswordHash(p), PositionalHash(p)) << n;
  }
}

TEST(HashedPassword, Sha512WithSaltAndSpinCount) {
  // Computed independently (Python hashlib).
  const std::string salt = "AAECAwQFBgcICQoLDA0ODw==";
  const std::string hash =
      "sZINFlakrHrg+VjciKlFG3CHCoHGxuRN5L4ee+r674awA0pjc73leClP76dEL3AyIXwM/0uffDkaw/k0tEGzJA==";
  EXPECT_EQ(Sha512PasswordHash(u"Kq7vXr42ZpmLt", salt, 100000), hash);
  Protection p;
  p.sheet = true;
  p.algorithm_name = "SHA-512";
  p.salt_value = salt;
  p.hash_value = hash;
  p.spin_count = 100000;
  EXPECT_TRUE(p.Verify("Kq7vXr42ZpmLt"));
  EXPECT_FALSE(p.Verify("kq7vXr42ZpmLt"));
  EXPECT_FALSE(p.Verify(""));
}

TEST(LegacyProtection, Verify) {
  Protection p;
  p.sheet = true;
  EXPECT_TRUE(p.Verify("anything"));  // no password: any opens it
  p.legacy_hash = "CBEB";
  EXPECT_TRUE(p.Verify("test"));
  EXPECT_FALSE(p.Verify("Test"));
  p.legacy_hash = "cbeb";
  EXPECT_TRUE(p.Verify("test"));
}

struct Typed {
  const char* text;
  ValueType type;
  double number;
};

TEST(TypedText, ExcelConversionTable) {
  const Typed cases[] = {
      {"0050", ValueType::Number, 50},    {"12.5", ValueType::Number, 12.5},   {"-3", ValueType::Number, -3},
      {"+7", ValueType::Number, 7},       {"1,234", ValueType::Number, 1234},  {"1,234,567.25", ValueType::Number, 1234567.25},
      {"12%", ValueType::Number, 0.12},   {"1e3", ValueType::Number, 1000},    {"2.5E-2", ValueType::Number, 0.025},
      {".5", ValueType::Number, 0.5},     {"5.", ValueType::Number, 5},        {"(5)", ValueType::Number, -5},
      {" 42 ", ValueType::Number, 42},    {"2010", ValueType::Number, 2010},   {"0", ValueType::Number, 0},
      {"1,23", ValueType::Text, 0},       {"12,3456", ValueType::Text, 0},     {",123", ValueType::Text, 0},
      {"1.2.3", ValueType::Text, 0},      {"e5", ValueType::Text, 0},          {"1e", ValueType::Text, 0},
      {"--1", ValueType::Text, 0},        {"12-", ValueType::Text, 0},         {"abc", ValueType::Text, 0},
      {"2010|1234", ValueType::Text, 0},  {"基表1.xls", ValueType::Text, 0},  {"J1_1", ValueType::Text, 0},
      {"1 2", ValueType::Text, 0},        {"(-5)", ValueType::Text, 0},        {"%", ValueType::Text, 0},
      {"-", ValueType::Text, 0},          {".", ValueType::Text, 0},           {"1e999", ValueType::Text, 0},
  };
  for (const auto& c : cases) {
    Value v = ConvertTypedText(c.text);
    EXPECT_EQ(v.type, c.type) << c.text;
    if (c.type == ValueType::Number) {
      EXPECT_DOUBLE_EQ(v.number, c.number) << c.text;
    } else {
      EXPECT_EQ(v.text, c.text);
    }
  }
  EXPECT_EQ(ConvertTypedText("TRUE").type, ValueType::Boolean);
  EXPECT_FALSE(ConvertTypedText("false").boolean);
  EXPECT_EQ(ConvertTypedText("").type, ValueType::Empty);
  bool pct = false;
  ConvertTypedText("50%", &pct);
  EXPECT_TRUE(pct);
}

TEST(GeneralNumber, Text) {
  EXPECT_EQ(GeneralNumberText(100), "100");
  EXPECT_EQ(GeneralNumberText(12.5), "12.5");
  EXPECT_EQ(GeneralNumberText(-0.0), "0");
  EXPECT_EQ(GeneralNumberText(0.1 + 0.2), "0.3");
  EXPECT_EQ(GeneralNumberText(1e15), "1E+15");
  EXPECT_EQ(GeneralNumberText(123456789012345), "123456789012345");
}

TEST(Palette, StandardColours) {
  EXPECT_EQ(PaletteColor(15), 0xC0C0C0u);
  EXPECT_EQ(PaletteColor(38), 0xFF99CCu);
  EXPECT_EQ(NearestColorIndex(0xC0C0C0), 15);
  EXPECT_EQ(NearestColorIndex(0xFF99CC), 38);
  EXPECT_EQ(NearestColorIndex(0xFFFF00), 6);  // the lowest of equal entries
  EXPECT_EQ(NearestColorIndex(0xC1C1C0), 15);
}

static std::unique_ptr<Workbook> Sample() {
  auto book = Workbook::Create();
  for (int i = 1; i <= 5; ++i) book->AddSheet(i == 1 ? "封面" : "Sheet" + std::to_string(i));
  auto& s = book->Sheet(1);
  s.SetValue(1, 1, Value::Text("0050"));
  s.SetValue(2, 1, Value::Number(12.5));
  s.SetValue(3, 1, Value::Bool(true));
  s.SetValue(4, 1, Value::Err("#DIV/0!"));
  s.SetFormula(5, 1, "A2*2", Value::Number(25));
  s.SetValue(6, 1, Value::Text("学校经费统计 <&> \"quoted\" _x0041_ tab\there"));
  s.SetValue(7, 1, Value::Text("  leading and trailing  "));
  s.SetLocked(4, 3, false);
  s.SetColorIndex(4, 3, 15);
  s.SetColorIndex(5, 3, 38);
  s.SetColorIndex(6, 3, 0);
  s.SetNumberFormat(4, 3, "@");
  s.SetColumnWidth(1, 3, 12.5);
  s.SetColumnWidth(2, 2, 30);
  s.AddMerge("A10:D10");
  s.SetRowHidden(40, true);
  s.SetRowHeight(2, 25);
  s.SetValue(40, 10, Value::Text("J1_1"));
  s.Protect("Kq7vXr42ZpmLt", false, true, true);
  s.protection().select_locked_cells = true;
  s.Select(4, 3, 4, 3);
  book->Sheet(5).SetVisibility(Visibility::Hidden);
  auto& ps = book->Sheet(5).page_setup();
  ps.paper_size = 8;
  ps.scale = 77;
  ps.orientation = Orientation::Landscape;
  ps.center_horizontally = ps.center_vertically = true;
  book->SetActiveSheet(1);
  return book;
}

static void CheckSample(Workbook& book) {
  ASSERT_EQ(book.SheetCount(), 5);
  auto& s = book.Sheet(1);
  EXPECT_EQ(s.name(), "封面");
  EXPECT_EQ(s.GetValue(1, 1).text, "0050");
  EXPECT_EQ(s.GetValue(1, 1).type, ValueType::Text);
  EXPECT_EQ(s.GetValue(2, 1).number, 12.5);
  EXPECT_TRUE(s.GetValue(3, 1).boolean);
  EXPECT_EQ(s.GetValue(4, 1).type, ValueType::Error);
  EXPECT_EQ(s.GetValue(4, 1).text, "#DIV/0!");
  EXPECT_EQ(s.Find(5, 1)->formula, "A2*2");
  EXPECT_EQ(s.GetValue(5, 1).number, 25);
  EXPECT_EQ(s.GetValue(6, 1).text, "学校经费统计 <&> \"quoted\" _x0041_ tab\there");
  EXPECT_EQ(s.GetValue(7, 1).text, "  leading and trailing  ");
  EXPECT_FALSE(s.Locked(4, 3));
  EXPECT_TRUE(s.Locked(5, 3));
  EXPECT_TRUE(s.Locked(100, 100));
  EXPECT_EQ(s.ColorIndex(4, 3), 15);
  EXPECT_EQ(s.ColorIndex(5, 3), 38);
  EXPECT_EQ(s.ColorIndex(6, 3), 0);
  EXPECT_EQ(s.ColorIndex(7, 3), kColorIndexNone);
  EXPECT_TRUE(s.IsTextFormat(4, 3));
  EXPECT_FALSE(s.IsTextFormat(5, 3));
  EXPECT_EQ(s.ColumnWidth(1), 12.5);
  EXPECT_EQ(s.ColumnWidth(2), 30);
  EXPECT_EQ(s.ColumnWidth(3), 12.5);
  EXPECT_FALSE(s.ColumnWidth(4).has_value());
  ASSERT_EQ(s.merges().size(), 1u);
  EXPECT_EQ(s.merges()[0], "A10:D10");
  EXPECT_TRUE(s.RowHidden(40));
  EXPECT_EQ(s.rows().at(2).height, 25);
  EXPECT_TRUE(s.IsProtected());
  EXPECT_TRUE(s.protection().Verify("Kq7vXr42ZpmLt"));
  EXPECT_FALSE(s.protection().Verify("wrong"));
  EXPECT_TRUE(s.protection().scenarios);
  EXPECT_FALSE(s.protection().objects);
  EXPECT_TRUE(s.protection().select_locked_cells);
  EXPECT_EQ(s.active_row(), 4);
  EXPECT_EQ(s.active_column(), 3);
  EXPECT_EQ(s.selection(), "C4");
  EXPECT_EQ(book.Sheet(5).visibility(), Visibility::Hidden);
  const auto& ps = book.Sheet(5).page_setup();
  EXPECT_EQ(ps.paper_size, 8);
  EXPECT_EQ(ps.scale, 77);
  EXPECT_EQ(ps.orientation, Orientation::Landscape);
  EXPECT_TRUE(ps.center_horizontally);
  EXPECT_TRUE(ps.center_vertically);
  EXPECT_EQ(book.active_sheet(), 1);
}

TEST(Model, BuiltInMemory) { CheckSample(*Sample()); }

TEST(Model, RoundTripThroughPackage) {
  auto bytes = Sample()->SaveToMemory();
  auto book = Workbook::LoadFromMemory(bytes, "sample.xlsx");
  CheckSample(*book);
  // A second generation is the same package.
  auto again = book->SaveToMemory();
  auto book2 = Workbook::LoadFromMemory(again, "sample.xlsx");
  CheckSample(*book2);
  EXPECT_EQ(book2->SaveToMemory(), again);
}

TEST(Model, StylesAreReused) {
  auto book = Workbook::Create();
  auto& s = book->AddSheet("S");
  for (int r = 1; r <= 100; ++r) {
    s.SetLocked(r, 1, false);
    s.SetColorIndex(r, 1, 15);
  }
  EXPECT_LE(book->styles().Count(), 4);
}

TEST(Model, SheetNames) {
  auto book = Workbook::Create();
  book->AddSheet("A");
  EXPECT_THROW(book->AddSheet("a"), Error);
  EXPECT_THROW(book->AddSheet("x/y"), Error);
  EXPECT_THROW(book->AddSheet(""), Error);
  EXPECT_THROW(book->AddSheet(std::string(32, 'x')), Error);
  EXPECT_EQ(book->SheetCount(), 1);
  EXPECT_THROW(book->Sheet(2), Error);
  EXPECT_THROW(book->Sheet(0), Error);
}

TEST(Model, CellBounds) {
  auto book = Workbook::Create();
  auto& s = book->AddSheet("A");
  EXPECT_THROW(s.SetValue(0, 1, Value::Number(1)), Error);
  EXPECT_THROW(s.SetValue(1, 16385, Value::Number(1)), Error);
  EXPECT_NO_THROW(s.SetValue(1048576, 16384, Value::Number(1)));
}

TEST(Model, ColumnStyleGivesEmptyCellsTheirFormat) {
  auto book = Workbook::Create();
  auto& s = book->AddSheet("A");
  int unlocked = book->styles().WithLocked(0, false);
  s.SetColumnStyle(3, 5, unlocked);
  EXPECT_FALSE(s.Locked(7, 4));
  EXPECT_TRUE(s.Locked(7, 6));
  s.SetValue(7, 4, Value::Number(1));
  EXPECT_FALSE(s.Locked(7, 4));
}

TEST(SafeSave, KeepsPermissionsAndLeavesNoTemporaryFile) {
  std::string dir = testzip::TempDir();
  std::string path = dir + "/book.xlsx";
  Sample()->Save(path);
  chmod(path.c_str(), 0640);
  auto book = Workbook::Load(path);
  book->Sheet(1).SetValue(1, 2, Value::Number(3));
  book->Save(path);
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(Workbook::Load(path)->Sheet(1).GetValue(1, 2).number, 3);
  std::string listing = testzip::ReadFile(dir);  // (a directory reads empty)
  int files = 0;
  for (const char* n : {".book.xlsx"}) (void)n;
  auto* d = opendir(dir.c_str());
  while (auto* e = readdir(d))
    if (e->d_name[0] != '.' || std::string(e->d_name).size() > 2) ++files;
  closedir(d);
  EXPECT_EQ(files, 1);
}

TEST(SafeSave, FailureLeavesTheFileUnchanged) {
  std::string dir = testzip::TempDir();
  std::string path = dir + "/book.xlsx";
  Sample()->Save(path);
  std::string before = testzip::ReadFile(path);
  chmod(dir.c_str(), 0500);  // no new file can be made beside it
  auto book = Workbook::Load(path);
  book->Sheet(1).SetValue(1, 2, Value::Number(3));
  if (geteuid() != 0) {
    EXPECT_THROW(book->Save(path), Error);
  }
  chmod(dir.c_str(), 0700);
  // The target directory missing: refused, nothing written.
  EXPECT_THROW(book->Save(dir + "/missing/book.xlsx"), Error);
  EXPECT_EQ(testzip::ReadFile(path), before);
}
