#include "addin/workbook/excel_ops.h"

#include "addin/text/conversions.h"
#include "com/error_info.h"

namespace velmora::workbook {

using com::Bstr;
using com::ComPtr;
using com::Variant;

void Check(com::HRESULT hr) {
  if (com::FAILED(hr)) throw com::ComError::FromLastCall(hr);
}

namespace {
Variant Missing() { return Variant::Missing(); }
Variant Bool(bool b) { return Variant(b); }
Variant Long(long n) { return Variant(static_cast<std::int32_t>(n)); }

CellValue FromVariant(const Variant& v) {
  switch (v.vt) {
    case com::VT_EMPTY:
    case com::VT_NULL: return CellValue();
    case com::VT_BSTR: return CellValue::Text(v.ToAnsi());
    case com::VT_BOOL: return CellValue::Boolean(v.boolVal != 0);
    case com::VT_ERROR: return CellValue::Error(static_cast<int>(static_cast<std::uint32_t>(v.scode) - 0x800A0000u));
    default: {
      com::HRESULT hr = 0;
      double d = v.ToDouble(&hr);
      Check(hr);
      return CellValue::Number(d);
    }
  }
}
}  // namespace

// ---------------------------------------------------------------- Range

CellValue Range::Value() const {
  Variant v;
  Check(range_->get_Value(v.Put()));
  return FromVariant(v);
}

std::string Range::Text() const { return CellText(Value()); }

void Range::SetText(std::string_view gbk) const { Check(range_->put_Value(Variant::FromAnsi(gbk))); }

void Range::SetValue(const CellValue& value) const {
  Variant v;
  switch (value.GetKind()) {
    case CellValue::Kind::Empty: break;
    case CellValue::Kind::Text: v = Variant::FromAnsi(value.AsText()); break;
    case CellValue::Kind::Number: v = Variant(value.AsNumber()); break;
    case CellValue::Kind::Boolean: v = Variant(value.AsBoolean()); break;
    case CellValue::Kind::Error:
      v = Variant::Error(com::MakeHResult(0x800A0000u + static_cast<unsigned>(value.AsErrorCode())));
      break;
  }
  Check(range_->put_Value(v));
}

bool Range::Locked() const {
  Variant v;
  Check(range_->get_Locked(v.Put()));
  return v.vt == com::VT_BOOL && v.boolVal != 0;
}

void Range::SetLocked(bool locked) const { Check(range_->put_Locked(Bool(locked))); }

long Range::ColorIndex() const {
  ComPtr<excel::Interior> interior;
  Check(range_->get_Interior(interior.Put()));
  Variant v;
  Check(interior->get_ColorIndex(v.Put()));
  return v.ToInt32();
}

void Range::SetColorIndex(long color_index) const {
  ComPtr<excel::Interior> interior;
  Check(range_->get_Interior(interior.Put()));
  Check(interior->put_ColorIndex(Long(color_index)));
}

void Range::Select() const {
  Variant ignored;
  Check(range_->Select(ignored.Put()));
}

void Range::Activate() const {
  Variant ignored;
  Check(range_->Activate(ignored.Put()));
}

long Range::Row() const {
  com::LONG row = 0;
  Check(range_->get_Row(&row));
  return row;
}

long Range::Column() const {
  com::LONG column = 0;
  Check(range_->get_Column(&column));
  return column;
}

// ---------------------------------------------------------------- Worksheet

Range Worksheet::Cell(int row, int column) const {
  ComPtr<excel::Range> cells;
  Check(sheet_->get_Cells(cells.Put()));
  Variant item;
  Check(cells->get_Item(Long(row), Long(column), item.Put()));
  ComPtr<excel::Range> cell = item.vt == com::VT_DISPATCH ? com::QueryAs<excel::Range>(item.pdispVal) : nullptr;
  if (!cell) throw com::ComError(com::E_NOINTERFACE, u"Cells.Item did not give a range");
  return Range(cell);
}

Range Worksheet::Between(int first_row, int first_column, int last_row, int last_column) const {
  Range a = Cell(first_row, first_column), b = Cell(last_row, last_column);
  ComPtr<excel::Range> range;
  Check(sheet_->get_Range(Variant(static_cast<com::IDispatch*>(a.Get())),
                          Variant(static_cast<com::IDispatch*>(b.Get())), range.Put()));
  return Range(range);
}

std::string Worksheet::Name() const {
  Bstr name;
  Check(sheet_->get_Name(name.Put()));
  return name.ToAnsi();
}

long Worksheet::Index() const {
  com::LONG index = 0;
  Check(sheet_->get_Index(&index));
  return index;
}

void Worksheet::Activate() const { Check(sheet_->Activate()); }
void Worksheet::Select() const { Check(sheet_->Select(Missing())); }
void Worksheet::Unprotect(std::string_view password) const { Check(sheet_->Unprotect(Variant::FromAnsi(password))); }

void Worksheet::Protect(std::string_view password, bool drawing_objects, bool contents, bool scenarios,
                        bool user_interface_only) const {
  Check(sheet_->Protect(Variant::FromAnsi(password), Bool(drawing_objects), Bool(contents), Bool(scenarios),
                        Bool(user_interface_only)));
}

bool Worksheet::ProtectContents() const {
  com::VARIANT_BOOL b = 0;
  Check(sheet_->get_ProtectContents(&b));
  return b != 0;
}

long Worksheet::EnableSelection() const {
  com::LONG v = 0;
  Check(sheet_->get_EnableSelection(&v));
  return v;
}

void Worksheet::SetEnableSelection(long value) const { Check(sheet_->put_EnableSelection(value)); }
void Worksheet::SetVisible(long value) const { Check(sheet_->put_Visible(value)); }

long Worksheet::Visible() const {
  com::LONG v = 0;
  Check(sheet_->get_Visible(&v));
  return v;
}

namespace {
ComPtr<excel::PageSetup> SetupOf(excel::_Worksheet* sheet) {
  ComPtr<excel::PageSetup> setup;
  Check(sheet->get_PageSetup(setup.Put()));
  return setup;
}
}  // namespace

void Worksheet::SetPaperSize(long size) const { Check(SetupOf(sheet_.Get())->put_PaperSize(size)); }
void Worksheet::SetZoom(long zoom) const { Check(SetupOf(sheet_.Get())->put_Zoom(Long(zoom))); }
void Worksheet::SetOrientation(long orientation) const { Check(SetupOf(sheet_.Get())->put_Orientation(orientation)); }
void Worksheet::SetCenterHorizontally(bool center) const {
  Check(SetupOf(sheet_.Get())->put_CenterHorizontally(center ? com::VARIANT_TRUE : com::VARIANT_FALSE));
}
void Worksheet::SetCenterVertically(bool center) const {
  Check(SetupOf(sheet_.Get())->put_CenterVertically(center ? com::VARIANT_TRUE : com::VARIANT_FALSE));
}
void Worksheet::PrintPreview(bool enable_changes) const { Check(sheet_->PrintPreview(Bool(enable_changes))); }

// ---------------------------------------------------------------- Workbook

Worksheet Workbook::Sheet(int number) const {
  ComPtr<excel::Sheets> sheets;
  Check(book_->get_Sheets(sheets.Put()));
  ComPtr<excel::_Worksheet> sheet;
  Check(sheets->get_Item(Long(number), sheet.Put()));
  return Worksheet(sheet);
}

int Workbook::SheetCount() const {
  ComPtr<excel::Sheets> sheets;
  Check(book_->get_Sheets(sheets.Put()));
  com::LONG count = 0;
  Check(sheets->get_Count(&count));
  return count;
}

Worksheet Workbook::ActiveSheet() const {
  ComPtr<excel::_Worksheet> sheet;
  Check(book_->get_ActiveSheet(sheet.Put()));
  return Worksheet(sheet);
}

void Workbook::Save() const { Check(book_->Save()); }

std::string Workbook::FullName() const {
  Bstr name;
  Check(book_->get_FullName(name.Put()));
  return name.ToAnsi();
}

// ---------------------------------------------------------------- Application

std::optional<Workbook> Application::ActiveWorkbook() const {
  ComPtr<excel::_Workbook> book;
  Check(app_->get_ActiveWorkbook(book.Put()));
  if (!book) return std::nullopt;
  return Workbook(book);
}

std::optional<Range> Application::ActiveCell() const {
  ComPtr<excel::Range> cell;
  Check(app_->get_ActiveCell(cell.Put()));
  if (!cell) return std::nullopt;
  return Range(cell);
}

std::optional<Range> Application::Selection() const {
  ComPtr<com::IDispatch> selection;
  Check(app_->get_Selection(selection.Put()));
  ComPtr<excel::Range> range = com::QueryAs<excel::Range>(selection.Get());
  if (!range) return std::nullopt;
  return Range(range);
}

Worksheet Application::Worksheets(int number) const {
  ComPtr<excel::Sheets> sheets;
  Check(app_->get_Worksheets(sheets.Put()));
  ComPtr<excel::_Worksheet> sheet;
  Check(sheets->get_Item(Long(number), sheet.Put()));
  return Worksheet(sheet);
}

Workbook Application::Open(std::string_view gbk_file_name) const {
  ComPtr<excel::Workbooks> books;
  Check(app_->get_Workbooks(books.Put()));
  Variant m = Missing();
  ComPtr<excel::_Workbook> book;
  Check(books->Open(Bstr::FromAnsi(gbk_file_name).Get(), m, m, m, m, m, m, m, m, m, m, Long(0), m, book.Put()));
  return Workbook(book);
}

}  // namespace velmora::workbook
