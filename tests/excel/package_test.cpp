// The package reader and writer: what it refuses, and what it keeps.
#include <gtest/gtest.h>

#include "excel/xlsx/model.h"
#include "test_zip.h"

using namespace xlsx;

namespace {

const char kContentTypes[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
    R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
    R"(<Override PartName="/xl/worksheets/sheet2.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
    R"(<Override PartName="/xl/calcChain.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml"/>)"
    R"(<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)"
    R"(<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>)"
    R"(</Types>)";
const char kRootRels[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties" Target="docProps/app.xml"/>)"
    R"(</Relationships>)";
const char kWorkbook[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
    R"(<workbookPr date1904="false"/><bookViews><workbookView activeTab="1"/></bookViews>)"
    R"(<sheets><sheet name="一" sheetId="1" r:id="rId2"/><sheet name="Two" sheetId="7" state="veryHidden" r:id="rId3"/></sheets>)"
    R"(<definedNames><definedName name="_xlnm.Print_Area" localSheetId="0">'一'!$A$1:$D$40</definedName></definedNames>)"
    R"(<calcPr calcId="124519"/></workbook>)";
const char kWorkbookRels[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
    R"(<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/sheet2.xml"/>)"
    R"(<Relationship Id="rId4" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>)"
    R"(<Relationship Id="rId5" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/calcChain" Target="calcChain.xml"/>)"
    R"(</Relationships>)";
const char kStyles[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<numFmts count="1"><numFmt numFmtId="164" formatCode="@"/></numFmts>)"
    R"(<fonts count="2"><font><sz val="11"/><name val="Arial"/></font><font><b/><sz val="14"/><name val="SimSun"/></font></fonts>)"
    R"(<fills count="4"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill>)"
    R"(<fill><patternFill patternType="solid"><fgColor rgb="FFC0C0C0"/><bgColor indexed="64"/></patternFill></fill>)"
    R"(<fill><patternFill patternType="solid"><fgColor theme="0" tint="-0.249977111117893"/></patternFill></fill></fills>)"
    R"(<borders count="2"><border/><border><left style="thin"/></border></borders>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
    R"(<cellXfs count="4"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>)"
    R"(<xf numFmtId="164" fontId="1" fillId="0" borderId="1" xfId="0" applyProtection="1"><protection locked="0"/></xf>)"
    R"(<xf numFmtId="0" fontId="0" fillId="2" borderId="1" xfId="0"/>)"
    R"(<xf numFmtId="0" fontId="0" fillId="3" borderId="0" xfId="0"/></cellXfs>)"
    R"(<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles></styleSheet>)";
const char kSst[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="3" uniqueCount="3">)"
    R"(<si><t>0050</t></si><si><r><rPr><b/></rPr><t>粗</t></r><r><t>体</t></r></si><si><t>line_x000D_end</t></si></sst>)";
const char kSheet1[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006" xmlns:x14ac="http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac" mc:Ignorable="x14ac">)"
    R"(<sheetPr><tabColor rgb="FFFF0000"/><pageSetUpPr fitToPage="1"/></sheetPr><dimension ref="A1:C3"/>)"
    R"(<sheetViews><sheetView showGridLines="0" workbookViewId="0"><pane ySplit="2" topLeftCell="A3" activePane="bottomLeft" state="frozen"/><selection pane="bottomLeft" activeCell="B3" sqref="B3"/></sheetView></sheetViews>)"
    R"(<sheetFormatPr defaultRowHeight="15" x14ac:dyDescent="0.25"/>)"
    R"(<cols><col min="1" max="2" width="20.5" customWidth="1"/><col min="3" max="3" width="9" style="1" customWidth="1"/></cols>)"
    R"(<sheetData><row r="1" spans="1:3" ht="30" customHeight="1" x14ac:dyDescent="0.25"><c r="A1" s="1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" t="inlineStr"><is><t>inline</t></is></c></row>)"
    R"(<row r="2" hidden="1"><c r="A2"><v>1.5</v></c><c r="B2" s="2"><f>A2*2</f><v>3</v></c><c r="C2" t="e"><v>#N/A</v></c></row>)"
    R"(<row r="3"><c r="A3" t="b"><v>1</v></c><c r="B3" s="3" t="s"><v>2</v></c><c r="C3" t="str"><f>"x"&amp;"y"</f><v>xy</v></c></row></sheetData>)"
    R"(<sheetProtection password="CBEB" sheet="1" objects="1" scenarios="1" formatColumns="0" selectLockedCells="1"/>)"
    R"(<mergeCells count="1"><mergeCell ref="A5:C5"/></mergeCells>)"
    R"(<conditionalFormatting sqref="A2"><cfRule type="cellIs" dxfId="0" priority="1" operator="greaterThan"><formula>1</formula></cfRule></conditionalFormatting>)"
    R"(<dataValidations count="1"><dataValidation type="whole" sqref="A2"><formula1>0</formula1></dataValidation></dataValidations>)"
    R"(<printOptions horizontalCentered="1"/><pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/>)"
    R"(<pageSetup paperSize="9" scale="55" orientation="landscape" horizontalDpi="300"/>)"
    R"(<headerFooter><oddFooter>&amp;P / &amp;N</oddFooter></headerFooter>)"
    R"(<extLst><ext uri="{X}"><x14ac:foo/></ext></extLst></worksheet>)";
const char kSheet2[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData/></worksheet>)";

testzip::Parts Package() {
  return {{"[Content_Types].xml", kContentTypes},
          {"_rels/.rels", kRootRels},
          {"docProps/app.xml", "<Properties>kept</Properties>"},
          {"xl/workbook.xml", kWorkbook},
          {"xl/_rels/workbook.xml.rels", kWorkbookRels},
          {"xl/styles.xml", kStyles},
          {"xl/sharedStrings.xml", kSst},
          {"xl/worksheets/sheet1.xml", kSheet1},
          {"xl/worksheets/sheet2.xml", kSheet2},
          {"xl/calcChain.xml", R"(<calcChain xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><c r="B2" i="1"/></calcChain>)"},
          {"xl/theme/theme1.xml", "<a:theme xmlns:a=\"x\">unchanged \x01 bytes</a:theme>"}};
}

bool Contains(const std::string& hay, const std::string& needle) { return hay.find(needle) != std::string::npos; }

}  // namespace

TEST(Package, ReadsWhatLibreOfficeAndExcelWrite) {
  auto book = Workbook::LoadFromMemory(testzip::Pack(Package()), "p.xlsx");
  ASSERT_EQ(book->SheetCount(), 2);
  EXPECT_EQ(book->active_sheet(), 2);
  auto& s = book->Sheet(1);
  EXPECT_EQ(s.name(), "一");
  EXPECT_EQ(book->Sheet(2).visibility(), Visibility::VeryHidden);
  EXPECT_EQ(s.GetValue(1, 1).text, "0050");
  EXPECT_EQ(s.GetValue(1, 2).text, "粗体");
  EXPECT_EQ(s.GetValue(1, 3).text, "inline");
  EXPECT_EQ(s.GetValue(2, 1).number, 1.5);
  EXPECT_EQ(s.Find(2, 2)->formula, "A2*2");
  EXPECT_EQ(s.GetValue(2, 2).number, 3);
  EXPECT_EQ(s.GetValue(2, 3).text, "#N/A");
  EXPECT_TRUE(s.GetValue(3, 1).boolean);
  EXPECT_EQ(s.GetValue(3, 2).text, "line\rend");
  EXPECT_EQ(s.GetValue(3, 3).text, "xy");
  EXPECT_FALSE(s.Locked(1, 1));
  EXPECT_TRUE(s.IsTextFormat(1, 1));
  EXPECT_FALSE(s.Locked(20, 3));  // the column's format
  EXPECT_EQ(s.ColorIndex(2, 2), 15);
  EXPECT_EQ(s.ColorIndex(3, 2), 15);  // theme white darkened by 25 %
  EXPECT_EQ(s.ColorIndex(1, 1), kColorIndexNone);
  EXPECT_TRUE(s.RowHidden(2));
  EXPECT_EQ(s.rows().at(1).height, 30);
  EXPECT_EQ(s.ColumnWidth(2), 20.5);
  EXPECT_TRUE(s.IsProtected());
  EXPECT_TRUE(s.protection().objects);
  EXPECT_FALSE(s.protection().format_columns);
  EXPECT_TRUE(s.protection().select_locked_cells);
  EXPECT_TRUE(s.protection().Verify("test"));
  EXPECT_EQ(s.active_row(), 3);
  EXPECT_EQ(s.active_column(), 2);
  EXPECT_EQ(s.page_setup().paper_size, 9);
  EXPECT_EQ(s.page_setup().scale, 55);
  EXPECT_TRUE(s.page_setup().fit_to_page);
  EXPECT_TRUE(s.page_setup().center_horizontally);
  EXPECT_FALSE(s.page_setup().center_vertically);
}

TEST(Package, KeepsWhatItDoesNotKnow) {
  auto original = Package();
  auto book = Workbook::LoadFromMemory(testzip::Pack(original), "p.xlsx");
  book->Sheet(1).SetValue(2, 1, Value::Number(7));
  book->Sheet(1).SetValue(2, 2, Value::Number(14));  // was a formula
  book->Sheet(1).SetLocked(3, 1, false);
  auto out = testzip::Unpack(book->SaveToMemory());
  EXPECT_EQ(testzip::Get(out, "docProps/app.xml"), "<Properties>kept</Properties>");
  EXPECT_EQ(testzip::Get(out, "xl/theme/theme1.xml"), testzip::Get(original, "xl/theme/theme1.xml"));
  std::string sheet = testzip::Get(out, "xl/worksheets/sheet1.xml");
  for (const char* kept :
       {"<tabColor rgb=\"FFFF0000\"/>", "showGridLines=\"0\"", "state=\"frozen\"", "x14ac:dyDescent=\"0.25\"",
        "<conditionalFormatting sqref=\"A2\">", "<dataValidations count=\"1\">", "<pageMargins left=\"0.7\"",
        "horizontalDpi=\"300\"", "<oddFooter>&amp;P / &amp;N</oddFooter>", "<x14ac:foo/>", "mc:Ignorable=\"x14ac\"",
        "<mergeCell ref=\"A5:C5\"/>", "width=\"20.5\"", "ht=\"30\"", "password=\"CBEB\"", "objects=\"1\"",
        "formatColumns=\"0\"", "selectLockedCells=\"1\"", "activeCell=\"B3\""})
    EXPECT_TRUE(Contains(sheet, kept)) << kept << "\n" << sheet;
  // Schema order: sheetProtection after sheetData, mergeCells before conditionalFormatting, extLst last.
  EXPECT_LT(sheet.find("<sheetData>"), sheet.find("<sheetProtection"));
  EXPECT_LT(sheet.find("<sheetProtection"), sheet.find("<mergeCells"));
  EXPECT_LT(sheet.find("<mergeCells"), sheet.find("<conditionalFormatting"));
  EXPECT_LT(sheet.find("<headerFooter>"), sheet.find("<extLst>"));
  std::string wb = testzip::Get(out, "xl/workbook.xml");
  EXPECT_TRUE(Contains(wb, "_xlnm.Print_Area")) << wb;
  EXPECT_TRUE(Contains(wb, "state=\"veryHidden\""));
  EXPECT_TRUE(Contains(wb, "date1904"));
  std::string styles = testzip::Get(out, "xl/styles.xml");
  EXPECT_TRUE(Contains(styles, "SimSun"));
  EXPECT_TRUE(Contains(styles, "<left style=\"thin\"/>"));
  // A formula was overwritten: the calculation chain goes, with its references.
  EXPECT_EQ(testzip::Get(out, "xl/calcChain.xml"), "");
  EXPECT_FALSE(Contains(testzip::Get(out, "[Content_Types].xml"), "calcChain"));
  EXPECT_FALSE(Contains(testzip::Get(out, "xl/_rels/workbook.xml.rels"), "calcChain"));
  // The rich text stays rich.
  EXPECT_TRUE(Contains(testzip::Get(out, "xl/sharedStrings.xml"), "<b/>"));
  auto again = Workbook::LoadFromMemory(testzip::Pack(out), "p.xlsx");
  EXPECT_EQ(again->Sheet(1).GetValue(2, 1).number, 7);
  EXPECT_FALSE(again->Sheet(1).Locked(3, 1));
  EXPECT_EQ(again->Sheet(1).GetValue(1, 2).text, "粗体");
}

TEST(Package, UnchangedSaveKeepsTheCalculationChain) {
  auto book = Workbook::LoadFromMemory(testzip::Pack(Package()), "p.xlsx");
  auto out = testzip::Unpack(book->SaveToMemory());
  EXPECT_NE(testzip::Get(out, "xl/calcChain.xml"), "");
}

struct Refusal {
  const char* what;
  std::string bytes;
  ErrorKind kind;
  const char* says;
};

TEST(Package, RefusesWhatItCannotRead) {
  std::vector<Refusal> cases;
  cases.push_back({"legacy .xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0'),
                   ErrorKind::Legacy, "save it as an Excel workbook (.xlsx) first"});
  cases.push_back({"text file", "hello, world\n", ErrorKind::NotPackage, "no zip package"});
  cases.push_back({"empty", "", ErrorKind::NotPackage, "no zip package"});
  std::string zip = testzip::Pack(Package());
  cases.push_back({"truncated zip", zip.substr(0, zip.size() / 2), ErrorKind::NotPackage, "damaged"});
  std::string flipped = testzip::Pack(Package(), true);
  flipped[flipped.find("<sheetData>") + 3] ^= 0x20;  // CRC no longer matches
  cases.push_back({"bad CRC", flipped, ErrorKind::NotPackage, "damaged"});
  auto bad_xml = Package();
  testzip::Put(bad_xml, "xl/worksheets/sheet1.xml", "<worksheet><sheetData><row></sheetData>");
  cases.push_back({"malformed XML", testzip::Pack(bad_xml), ErrorKind::Malformed, "not well-formed XML"});
  auto dtd = Package();
  testzip::Put(dtd, "xl/workbook.xml",
               "<?xml version=\"1.0\"?><!DOCTYPE lol [<!ENTITY a \"aaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
               "<workbook>&b;</workbook>");
  cases.push_back({"DTD", testzip::Pack(dtd), ErrorKind::Malformed, "document type"});
  auto no_wb = Package();
  no_wb.erase(no_wb.begin() + 3);
  cases.push_back({"no workbook", testzip::Pack(no_wb), ErrorKind::Malformed, "no workbook"});
  auto bad_ref = Package();
  testzip::Put(bad_ref, "xl/worksheets/sheet2.xml",
               "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>99</v></c></row></sheetData></worksheet>");
  cases.push_back({"dangling shared string", testzip::Pack(bad_ref), ErrorKind::Malformed, "shared string"});
  auto bomb = Package();
  testzip::Put(bomb, "xl/media/bomb.bin", std::string(80u << 20, '\0'));
  cases.push_back({"zip bomb", testzip::Pack(bomb), ErrorKind::TooLarge, "zip bomb"});
  for (const auto& c : cases) {
    try {
      Workbook::LoadFromMemory(c.bytes, "x.xlsx");
      ADD_FAILURE() << c.what << " was read";
    } catch (const Error& e) {
      EXPECT_EQ(e.kind(), c.kind) << c.what << ": " << e.what();
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << c.what << ": " << e.what();
    }
  }
}

TEST(Package, RatioBoundCatchesASmallerBomb) {
  auto bomb = Package();
  testzip::Put(bomb, "xl/media/bomb.bin", std::string(20u << 20, 'a'));
  EXPECT_THROW(Workbook::LoadFromMemory(testzip::Pack(bomb), "x.xlsx"), Error);
  Limits generous;
  generous.max_ratio = 1u << 30;
  EXPECT_NO_THROW(Workbook::LoadFromMemory(testzip::Pack(bomb), "x.xlsx", generous));
}

TEST(Package, MissingFile) {
  try {
    Workbook::Load("/nonexistent/book.xlsx");
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::NotFound);
    EXPECT_NE(std::string(e.what()).find("could not be found"), std::string::npos);
  }
}

TEST(Package, OverwritingTheFirstCellOfASharedFormulaKeepsTheOthersValid) {
  auto parts = Package();
  testzip::Put(parts, "xl/worksheets/sheet2.xml",
               R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
               R"(<row r="1"><c r="A1"><f t="shared" ref="A1:A3" si="0">B1*2</f><v>2</v></c></row>)"
               R"(<row r="2"><c r="A2"><f t="shared" si="0"/><v>4</v></c></row>)"
               R"(<row r="3"><c r="A3"><f t="shared" si="0"/><v>6</v></c></row></sheetData></worksheet>)");
  auto book = Workbook::LoadFromMemory(testzip::Pack(parts), "p.xlsx");
  // Unchanged, the group is written back as it was.
  std::string kept = testzip::Get(testzip::Unpack(book->SaveToMemory()), "xl/worksheets/sheet2.xml");
  EXPECT_NE(kept.find(R"(<c r="A2"><f t="shared" si="0"/><v>4</v></c>)"), std::string::npos) << kept;
  book->Sheet(2).SetValue(1, 1, Value::Number(10));
  std::string sheet = testzip::Get(testzip::Unpack(book->SaveToMemory()), "xl/worksheets/sheet2.xml");
  EXPECT_EQ(sheet.find("<f"), std::string::npos) << sheet;
  EXPECT_NE(sheet.find(R"(<c r="A3"><v>6</v></c>)"), std::string::npos) << sheet;
}

TEST(Package, FormulasKeepTheirResultsFromLibreOffice) {
  auto bytes = testzip::ReadFile(std::string(EXCEL_FIXTURES) + "/values.xlsx");
  for (int generation = 0; generation < 2; ++generation) {
    auto book = Workbook::LoadFromMemory(bytes, "values.xlsx");
    auto& s = book->Sheet(1);
    EXPECT_EQ(s.name(), "数值");
    EXPECT_EQ(s.Find(2, 1)->formula, "A1*3");
    EXPECT_EQ(s.GetValue(2, 1).number, 6);
    EXPECT_EQ(s.GetValue(3, 1).type, ValueType::Error);
    EXPECT_EQ(s.GetValue(3, 1).text, "#DIV/0!");
    EXPECT_TRUE(s.GetValue(4, 1).boolean);
    EXPECT_EQ(s.GetValue(5, 1).type, ValueType::Text);
    EXPECT_EQ(s.GetValue(5, 1).text, "0050");
    EXPECT_EQ(s.Find(5, 1)->formula, "\"0\"&\"050\"");
    EXPECT_EQ(s.GetValue(6, 1).number, 0.125);
    EXPECT_EQ(s.GetValue(1, 2).text.size(), 18u * 20);
    bytes = book->SaveToMemory();
    EXPECT_NE(testzip::Get(testzip::Unpack(bytes), "xl/worksheets/sheet1.xml").find("<f aca=\"false\">A1*3</f>"),
              std::string::npos);
  }
}
