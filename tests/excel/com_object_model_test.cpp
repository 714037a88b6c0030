// The object model over a LibreOffice-made workbook: what it returns, what it
// refuses and how (HRESULT plus Excel's description), fault injection.
#include <gtest/gtest.h>

#include "com/error_info.h"
#include "excel/com/excel.h"
#include "excel/fault.h"
#include "excel/rules.h"
#include "excel/xlsx/model.h"
#include "test_zip.h"

using com::Bstr;
using com::ComPtr;
using com::Variant;
using namespace excel;

namespace {

// The failure of the call that returned hr, as "0x800A03EC: description".
std::string Failure(com::HRESULT hr) {
  if (com::SUCCEEDED(hr)) return "succeeded";
  auto e = com::ComError::FromLastCall(hr);
  return com::HResultHex(hr) + ": " + Bstr(e.Description()).ToUtf8();
}

class ObjectModel : public ::testing::Test {
 protected:
  void SetUp() override {
    fault::Clear();
    dir_ = testzip::TempDir();
    path_ = dir_ + "/基表.xlsx";
    testzip::WriteFile(path_, testzip::ReadFile(std::string(EXCEL_FIXTURES) + "/base_table.xlsx"));
    app_ = CreateApplication();
    ASSERT_EQ(app_->get_Workbooks(books_.Put()), 0);
    ASSERT_EQ(Open(path_, book_.Put()), 0);
    ComPtr<Sheets> sheets;
    ASSERT_EQ(book_->get_Sheets(sheets.Put()), 0);
    ASSERT_EQ(sheets->get_Item(Variant(1), sheet_.Put()), 0);
  }
  void TearDown() override { fault::Clear(); }

  com::HRESULT Open(const std::string& path, _Workbook** book) {
    Variant m = Variant::Missing();
    return books_->Open(Bstr::FromUtf8(path).Get(), m, m, m, m, m, m, m, m, m, m, Variant(0), m, book);
  }
  ComPtr<Range> Cell(_Worksheet* sheet, int row, int column) {
    ComPtr<Range> cells;
    EXPECT_EQ(sheet->get_Cells(cells.Put()), 0);
    Variant item;
    EXPECT_EQ(cells->get_Item(Variant(row), Variant(column), item.Put()), 0);
    return com::QueryAs<Range>(item.pdispVal);
  }
  std::string Text(_Worksheet* sheet, int row, int column) {
    Variant v;
    EXPECT_EQ(Cell(sheet, row, column)->get_Value(v.Put()), 0);
    return v.ToUtf8();
  }
  com::HRESULT Write(_Worksheet* sheet, int row, int column, const std::string& text) {
    return Cell(sheet, row, column)->put_Value(Variant::FromUtf8(text));
  }

  std::string dir_, path_;
  ComPtr<_Application> app_;
  ComPtr<Workbooks> books_;
  ComPtr<_Workbook> book_;
  ComPtr<_Worksheet> sheet_;
};

}  // namespace

TEST_F(ObjectModel, ReadsCellsAndWorkbook) {
  EXPECT_EQ(Text(sheet_.Get(), 40, 10), "J1_1");
  EXPECT_EQ(Text(sheet_.Get(), 40, 5), "基表1.xls");
  EXPECT_EQ(Text(sheet_.Get(), 3, 3), "0050");
  Variant number;
  ASSERT_EQ(Cell(sheet_.Get(), 6, 2)->get_Value(number.Put()), 0);
  EXPECT_EQ(number.vt, com::VT_R8);
  EXPECT_EQ(number.dblVal, 12.5);
  Variant empty;
  ASSERT_EQ(Cell(sheet_.Get(), 99, 99)->get_Value(empty.Put()), 0);
  EXPECT_EQ(empty.vt, com::VT_EMPTY);
  // The text of a cell through its default member, as an automation client converts it.
  Variant cell;
  ComPtr<Range> cells;
  sheet_->get_Cells(cells.Put());
  cells->get_Item(Variant(40), Variant(10), cell.Put());
  EXPECT_EQ(cell.vt, com::VT_DISPATCH);
  Variant text;
  ASSERT_EQ(com::VariantChangeType(&text, &cell, 0, com::VT_BSTR), 0);
  EXPECT_EQ(text.ToUtf8(), "J1_1");

  Bstr full;
  book_->get_FullName(full.Put());
  EXPECT_EQ(full.ToUtf8(), path_);
  ComPtr<_Workbook> active;
  app_->get_ActiveWorkbook(active.Put());
  EXPECT_TRUE(active);
  ComPtr<Sheets> sheets;
  book_->get_Sheets(sheets.Put());
  LONG count = 0;
  sheets->get_Count(&count);
  EXPECT_EQ(count, 5);
  ComPtr<_Worksheet> by_name;
  ASSERT_EQ(sheets->get_Item(Variant(u"收入"), by_name.Put()), 0);
  LONG index = 0;
  by_name->get_Index(&index);
  EXPECT_EQ(index, 2);
  ComPtr<_Worksheet> fifth;
  sheets->get_Item(Variant(5), fifth.Put());
  LONG visible = 7;
  fifth->get_Visible(&visible);
  EXPECT_EQ(visible, xlSheetHidden);
  VARIANT_BOOL prot = 0;
  sheet_->get_ProtectContents(&prot);
  EXPECT_EQ(prot, com::VARIANT_TRUE);
}

TEST_F(ObjectModel, RefusesAsExcel) {
  ComPtr<Sheets> sheets;
  book_->get_Sheets(sheets.Put());
  ComPtr<_Worksheet> none;
  EXPECT_EQ(Failure(sheets->get_Item(Variant(6), none.Put())), "0x8002000B: Subscript out of range");
  EXPECT_EQ(Failure(sheets->get_Item(Variant(0), none.Put())), "0x8002000B: Subscript out of range");
  ComPtr<Range> cells;
  sheet_->get_Cells(cells.Put());
  Variant item;
  EXPECT_EQ(Failure(cells->get_Item(Variant(0), Variant(1), item.Put())),
            "0x800A03EC: Application-defined or object-defined error");
  EXPECT_EQ(Failure(cells->get_Item(Variant(1), Variant(16385), item.Put())),
            "0x800A03EC: Application-defined or object-defined error");
  // A locked cell of a protected sheet; Locked and fills of any cell.
  EXPECT_EQ(Failure(Write(sheet_.Get(), 3, 1, "x")), "0x800A03EC: Unable to set the Value property of the Range class");
  EXPECT_EQ(Failure(Cell(sheet_.Get(), 4, 3)->put_Locked(Variant(true))),
            "0x800A03EC: Unable to set the Locked property of the Range class");
  ComPtr<Interior> interior;
  Cell(sheet_.Get(), 4, 3)->get_Interior(interior.Put());
  EXPECT_EQ(Failure(interior->put_ColorIndex(Variant(38))),
            "0x800A03EC: Unable to set the ColorIndex property of the Interior class");
  EXPECT_EQ(Write(sheet_.Get(), 4, 3, "12"), 0);  // an unlocked cell
  EXPECT_EQ(Failure(sheet_->Unprotect(Variant(u"wrong"))), std::string("0x800A03EC: ") + kWrongPasswordMessage);
  // The hidden sheet cannot be activated.
  ComPtr<_Worksheet> fifth;
  sheets->get_Item(Variant(5), fifth.Put());
  EXPECT_EQ(Failure(fifth->Activate()), "0x800A03EC: Activate method of Worksheet class failed");
  // A cell of a sheet that is not active cannot be selected.
  ComPtr<_Worksheet> second;
  sheets->get_Item(Variant(2), second.Put());
  EXPECT_EQ(Failure(Cell(second.Get(), 8, 3)->Select(nullptr)), "0x800A03EC: Select method of Range class failed");
  // Opened twice; missing.
  ComPtr<_Workbook> again;
  EXPECT_NE(Failure(Open(path_, again.Put())).find("is already open"), std::string::npos);
  EXPECT_NE(Failure(Open(dir_ + "/missing.xlsx", again.Put())).find("could not be found"), std::string::npos);
  testzip::WriteFile(dir_ + "/old.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(512, '\0'));
  EXPECT_NE(Failure(Open(dir_ + "/old.xls", again.Put())).find("(.xlsx) first"), std::string::npos);
}

TEST_F(ObjectModel, ProtectedWritesBetweenUnprotectAndProtect) {
  ASSERT_EQ(sheet_->Unprotect(Variant(u"Kq7vXr42ZpmLt")), 0);
  EXPECT_EQ(Write(sheet_.Get(), 40, 6, "1,12,5|2,8,3"), 0);
  EXPECT_EQ(Write(sheet_.Get(), 40, 7, ""), 0);
  ComPtr<Interior> interior;
  Cell(sheet_.Get(), 12, 5)->get_Interior(interior.Put());
  EXPECT_EQ(interior->put_ColorIndex(Variant(38)), 0);
  EXPECT_EQ(Cell(sheet_.Get(), 12, 5)->put_Locked(Variant(false)), 0);
  EXPECT_EQ(sheet_->Protect(Variant(u"Kq7vXr42ZpmLt"), Variant(false), Variant(true), Variant(true), Variant(false)), 0);
  EXPECT_EQ(sheet_->put_EnableSelection(xlUnlockedCells), 0);
  // Automation may select a locked cell of the active sheet.
  EXPECT_EQ(Cell(sheet_.Get(), 3, 1)->Select(nullptr), 0);
  ComPtr<Range> active;
  app_->get_ActiveCell(active.Put());
  LONG row = 0, col = 0;
  active->get_Row(&row);
  active->get_Column(&col);
  EXPECT_EQ(row, 3);
  EXPECT_EQ(col, 1);
  ASSERT_EQ(book_->Save(), 0);
  auto saved = xlsx::Workbook::Load(path_);
  auto& s = saved->Sheet(1);
  EXPECT_EQ(s.GetValue(40, 6).text, "1,12,5|2,8,3");
  EXPECT_TRUE(s.GetValue(40, 7).empty());
  EXPECT_EQ(s.ColorIndex(12, 5), 38);
  EXPECT_FALSE(s.Locked(12, 5));
  EXPECT_TRUE(s.IsProtected());
  EXPECT_FALSE(s.protection().objects);
  EXPECT_TRUE(s.protection().scenarios);
  EXPECT_TRUE(s.protection().Verify("Kq7vXr42ZpmLt"));
  EXPECT_TRUE(s.protection().select_locked_cells);
  EXPECT_EQ(s.active_row(), 3);
}

TEST_F(ObjectModel, PrintSheetPageSetupAndPreview) {
  ComPtr<Sheets> sheets;
  book_->get_Sheets(sheets.Put());
  ComPtr<_Worksheet> print;
  sheets->get_Item(Variant(5), print.Put());
  ASSERT_EQ(print->put_Visible(xlSheetVisible), 0);
  ASSERT_EQ(print->Activate(), 0);
  ComPtr<PageSetup> ps;
  ASSERT_EQ(print->get_PageSetup(ps.Put()), 0);
  EXPECT_EQ(ps->put_PaperSize(xlPaperA3), 0);
  EXPECT_EQ(ps->put_Zoom(Variant(77)), 0);
  EXPECT_EQ(ps->put_Orientation(xlLandscape), 0);
  EXPECT_EQ(ps->put_CenterHorizontally(com::VARIANT_TRUE), 0);
  EXPECT_EQ(ps->put_CenterVertically(com::VARIANT_TRUE), 0);
  EXPECT_EQ(Failure(ps->put_Zoom(Variant(401))), "0x800A03EC: Unable to set the Zoom property of the PageSetup class");
  int previews = 0;
  SetPrintPreviewHandler([&](_Worksheet* s) {
    Bstr name;
    s->get_Name(name.Put());
    EXPECT_EQ(name.ToUtf8(), "打印");
    ++previews;
  });
  EXPECT_EQ(print->PrintPreview(Variant(false)), 0);
  SetPrintPreviewHandler(nullptr);
  EXPECT_EQ(previews, 1);
  ASSERT_EQ(print->put_Visible(xlSheetHidden), 0);
  ComPtr<_Worksheet> active;
  app_->get_ActiveSheet(active.Put());
  LONG index = 0;
  active->get_Index(&index);
  EXPECT_EQ(index, 4);  // the hidden sheet handed over to its visible neighbour
  ASSERT_EQ(book_->Save(), 0);
  auto saved = xlsx::Workbook::Load(path_);
  const auto& p = saved->Sheet(5).page_setup();
  EXPECT_EQ(p.paper_size, 8);
  EXPECT_EQ(p.scale, 77);
  EXPECT_EQ(p.orientation, xlsx::Orientation::Landscape);
  EXPECT_TRUE(p.center_horizontally && p.center_vertically);
  EXPECT_EQ(saved->Sheet(5).visibility(), xlsx::Visibility::Hidden);
}

TEST_F(ObjectModel, TypedTextsAndTextCells) {
  ASSERT_EQ(sheet_->Unprotect(Variant(u"Kq7vXr42ZpmLt")), 0);
  ASSERT_EQ(Write(sheet_.Get(), 4, 4, "0050"), 0);  // General: a number
  Variant v;
  Cell(sheet_.Get(), 4, 4)->get_Value(v.Put());
  EXPECT_EQ(v.vt, com::VT_R8);
  EXPECT_EQ(v.dblVal, 50);
  ASSERT_EQ(Write(sheet_.Get(), 3, 3, "0051"), 0);  // formatted "@": stays text
  EXPECT_EQ(Text(sheet_.Get(), 3, 3), "0051");
  ASSERT_EQ(Cell(sheet_.Get(), 5, 5)->put_Value(Variant(2010.0)), 0);
  EXPECT_EQ(Text(sheet_.Get(), 5, 5), "2010");
}

TEST_F(ObjectModel, RangeBetweenTwoCells) {
  ComPtr<Range> range;
  Variant a(static_cast<com::IDispatch*>(Cell(sheet_.Get(), 6, 4).Get()));
  Variant b(static_cast<com::IDispatch*>(Cell(sheet_.Get(), 6, 3).Get()));
  ASSERT_EQ(sheet_->get_Range(a, b, range.Put()), 0);
  Bstr address;
  range->get_Address(address.Put());
  EXPECT_EQ(address.ToUtf8(), "$C$6:$D$6");
  EXPECT_EQ(range->Select(nullptr), 0);
  EXPECT_EQ(range->Activate(nullptr), 0);
  ComPtr<com::IDispatch> selection;
  app_->get_Selection(selection.Put());
  Bstr sel;
  com::QueryAs<Range>(selection.Get())->get_Address(sel.Put());
  EXPECT_EQ(sel.ToUtf8(), "$C$6:$D$6");
}

TEST_F(ObjectModel, CloseAndDisconnect) {
  ASSERT_EQ(book_->Close(Variant(false), Variant::Missing(), Variant::Missing()), 0);
  ComPtr<_Workbook> active;
  app_->get_ActiveWorkbook(active.Put());
  EXPECT_FALSE(active);
  Bstr name;
  EXPECT_EQ(Failure(sheet_->get_Name(name.Put())), "0x80010108: The object invoked has disconnected from its clients.");
  ComPtr<Sheets> sheets;
  EXPECT_NE(app_->get_Worksheets(sheets.Put()), 0);
  // The file was not changed by the close without saving.
  EXPECT_EQ(testzip::ReadFile(path_), testzip::ReadFile(std::string(EXCEL_FIXTURES) + "/base_table.xlsx"));
}

TEST_F(ObjectModel, FaultInjection) {
  fault::Inject("Worksheet.Protect", 2, static_cast<std::int32_t>(0x800A03EC), "Protect failed (injected)");
  Variant pw(u"Kq7vXr42ZpmLt"), f(false), t(true);
  EXPECT_EQ(sheet_->Protect(pw, f, t, t, f), 0);
  EXPECT_EQ(Failure(sheet_->Protect(pw, f, t, t, f)), "0x800A03EC: Protect failed (injected)");
  EXPECT_EQ(sheet_->Protect(pw, f, t, t, f), 0);
  EXPECT_EQ(fault::Fired(), 1);
  fault::Clear();
  fault::Inject("*", 3, com::E_FAIL, "the third call");
  Bstr name;
  EXPECT_EQ(sheet_->get_Name(name.Put()), 0);
  EXPECT_EQ(sheet_->get_Name(name.Put()), 0);
  EXPECT_EQ(Failure(sheet_->get_Name(name.Put())), "0x80004005: the third call");
  EXPECT_EQ(fault::Calls("Worksheet.Name.get"), 3);
  EXPECT_EQ(fault::Trace().size(), 3u);
}

TEST(Application, CommandBarsRoom) {
  auto app = CreateApplication();
  ComPtr<com::IDispatch> bars;
  EXPECT_EQ(app->get_CommandBars(bars.Put()), 0);
  EXPECT_FALSE(bars);
  ComPtr<_Workbook> none;
  EXPECT_EQ(app->get_ActiveWorkbook(none.Put()), 0);
  EXPECT_FALSE(none);
  ComPtr<Sheets> sheets;
  EXPECT_EQ(Failure(app->get_Worksheets(sheets.Put())), "0x800A03EC: Method 'Worksheets' of object '_Global' failed");
  // A host attaches its command bars; any IDispatch will do here.
  ComPtr<Workbooks> books;
  app->get_Workbooks(books.Put());
  EXPECT_EQ(SetCommandBars(app.Get(), books.Get()), 0);
  EXPECT_EQ(app->get_CommandBars(bars.Put()), 0);
  EXPECT_TRUE(bars);
}
