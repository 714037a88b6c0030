#pragma once
// The add-in's hands on Excel: small wrappers over the object model's
// interfaces. Every call's HRESULT is tested; a failure throws com::ComError,
// whose what() is Excel's description (GBK). Texts are GBK; rows, columns
// and sheet numbers 1-based.
//
//   workbook::Application excel(ExcelApp);
//   if (auto book = excel.ActiveWorkbook()) {
//     workbook::Worksheet first = book->Sheet(1);
//     std::string a40 = first.Text(40, 1);
//   }
#include <optional>
#include <string>
#include <string_view>

#include "addin/text/cell_value.h"
#include "com/com_ptr.h"
#include "excel/com/excel.h"

namespace velmora::workbook {

// Throws com::ComError with the error information the failing call left.
void Check(com::HRESULT hr);

class Worksheet;

class Range {
 public:
  explicit Range(com::ComPtr<excel::Range> range) : range_(std::move(range)) {}
  CellValue Value() const;                   // of a single cell
  std::string Text() const;                  // CellText of Value (an error value throws)
  void SetText(std::string_view gbk) const;  // Excel converts numeric texts
  void SetValue(const CellValue& value) const;
  bool Locked() const;
  void SetLocked(bool locked) const;
  long ColorIndex() const;
  void SetColorIndex(long color_index) const;  // 15, 0, 38, -4142
  void Select() const;
  void Activate() const;
  long Row() const;
  long Column() const;
  excel::Range* Get() const { return range_.Get(); }

 private:
  com::ComPtr<excel::Range> range_;
};

class Worksheet {
 public:
  explicit Worksheet(com::ComPtr<excel::_Worksheet> sheet) : sheet_(std::move(sheet)) {}
  Range Cell(int row, int column) const;  // Cells.Item[row, column]
  // Range(Cells.Item[r1, c1], Cells.Item[r2, c2]).
  Range Between(int first_row, int first_column, int last_row, int last_column) const;
  CellValue Value(int row, int column) const { return Cell(row, column).Value(); }
  std::string Text(int row, int column) const { return Cell(row, column).Text(); }
  void Write(int row, int column, std::string_view gbk) const { Cell(row, column).SetText(gbk); }
  std::string Name() const;
  long Index() const;
  void Activate() const;
  void Select() const;
  void Unprotect(std::string_view password) const;
  void Protect(std::string_view password, bool drawing_objects, bool contents, bool scenarios,
               bool user_interface_only) const;
  bool ProtectContents() const;
  long EnableSelection() const;
  void SetEnableSelection(long value) const;
  void SetVisible(long value) const;  // excel::xlSheetVisible, xlSheetHidden
  long Visible() const;
  void SetPaperSize(long size) const;
  void SetZoom(long zoom) const;
  void SetOrientation(long orientation) const;
  void SetCenterHorizontally(bool center) const;
  void SetCenterVertically(bool center) const;
  void PrintPreview(bool enable_changes) const;
  excel::_Worksheet* Get() const { return sheet_.Get(); }

 private:
  com::ComPtr<excel::_Worksheet> sheet_;
};

class Workbook {
 public:
  explicit Workbook(com::ComPtr<excel::_Workbook> book) : book_(std::move(book)) {}
  Worksheet Sheet(int number) const;  // Sheets.Item[number]: all sheets, used as a worksheet
  int SheetCount() const;
  Worksheet ActiveSheet() const;
  void Save() const;
  std::string FullName() const;
  excel::_Workbook* Get() const { return book_.Get(); }

 private:
  com::ComPtr<excel::_Workbook> book_;
};

class Application {
 public:
  explicit Application(com::ComPtr<excel::_Application> app) : app_(std::move(app)) {}
  std::optional<Workbook> ActiveWorkbook() const;
  std::optional<Range> ActiveCell() const;
  std::optional<Range> Selection() const;
  Worksheet Worksheets(int number) const;  // Worksheets.Item[number] of the active workbook
  // Workbooks.Open(file name, Converter 0, all else omitted); the opened
  // workbook becomes the active one.
  Workbook Open(std::string_view gbk_file_name) const;
  excel::_Application* Get() const { return app_.Get(); }

 private:
  com::ComPtr<excel::_Application> app_;
};

}  // namespace velmora::workbook
