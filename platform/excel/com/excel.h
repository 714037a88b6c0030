#pragma once
// The spreadsheet stand-in's object model: the part of Excel's automation
// interfaces the add-in relies on, as COM dual-style interfaces over the
// workbook model. Every method returns an HRESULT; a failure leaves error
// information (source "Microsoft Excel") with Excel's description. Rows,
// columns, sheet and workbook numbers are 1-based; out-of-range ones fail.
//
// The interfaces derive from IDispatch; their IDispatch answers only the
// default member (DISPID 0: a Range's Value), enough for VariantChangeType
// of a Range to its text. Clients call the vtable, as an early-bound add-in does.
//
//   com::ComPtr<excel::_Application> app = excel::CreateApplication();
//   com::ComPtr<excel::Workbooks> books;  app->get_Workbooks(books.Put());
//   com::ComPtr<excel::_Workbook> book;
//   hr = books->Open(com::Bstr(u"/data/x.xlsx").Get(), missing..., converter 0, ..., book.Put());
#include <functional>

#include "com/bstr.h"
#include "com/com_ptr.h"
#include "com/dispatch.h"
#include "com/variant.h"

namespace excel {

using com::BSTR;
using com::HRESULT;
using com::LONG;
using com::VARIANT;
using com::VARIANT_BOOL;

class _Application;
class Workbooks;
class _Workbook;
class Sheets;
class _Worksheet;
class Range;
class Interior;
class PageSetup;

// Excel's constants.
inline constexpr LONG xlSheetVisible = -1;
inline constexpr LONG xlSheetHidden = 0;
inline constexpr LONG xlSheetVeryHidden = 2;
inline constexpr LONG xlNoRestrictions = 0;
inline constexpr LONG xlUnlockedCells = 1;
inline constexpr LONG xlNoSelection = -4142;
inline constexpr LONG xlColorIndexNone = -4142;
inline constexpr LONG xlPortrait = 1;
inline constexpr LONG xlLandscape = 2;
inline constexpr LONG xlPaperA3 = 8;
inline constexpr LONG xlPaperA4 = 9;

class Interior : public com::IDispatch {
 public:
  static constexpr com::IID iid = com::MakeGuid("{7A3E0101-5C1D-4B8E-9F20-3D6B1E0A0001}");
  using Base = com::IDispatch;
  virtual HRESULT get_ColorIndex(VARIANT* value) = 0;  // VT_I4; VT_NULL when the cells differ
  virtual HRESULT put_ColorIndex(VARIANT value) = 0;   // 1..56, 0, -4142 (no fill)

 protected:
  ~Interior() = default;
};

class Range : public com::IDispatch {
 public:
  static constexpr com::IID iid = com::MakeGuid("{7A3E0101-5C1D-4B8E-9F20-3D6B1E0A0002}");
  using Base = com::IDispatch;
  // The value of a single cell: VT_EMPTY, VT_BSTR, VT_R8, VT_BOOL or VT_ERROR
  // (Excel's error code, for example 2007 for #DIV/0!).
  virtual HRESULT get_Value(VARIANT* value) = 0;
  // Every cell of the range; a text converts as Excel converts it.
  virtual HRESULT put_Value(VARIANT value) = 0;
  virtual HRESULT get_Locked(VARIANT* value) = 0;  // VT_BOOL; VT_NULL when the cells differ
  virtual HRESULT put_Locked(VARIANT value) = 0;
  virtual HRESULT get_NumberFormat(VARIANT* value) = 0;
  virtual HRESULT put_NumberFormat(VARIANT value) = 0;
  virtual HRESULT Select(VARIANT* result) = 0;
  virtual HRESULT Activate(VARIANT* result) = 0;
  virtual HRESULT get_Row(LONG* row) = 0;
  virtual HRESULT get_Column(LONG* column) = 0;
  virtual HRESULT get_Count(LONG* count) = 0;
  virtual HRESULT get_Interior(Interior** interior) = 0;
  // Cells.Item[row, column]: the cell at that offset from the range's first
  // cell (1-based), as a Range in a VT_DISPATCH.
  virtual HRESULT get_Item(VARIANT row, VARIANT column, VARIANT* cell) = 0;
  virtual HRESULT get_Address(BSTR* address) = 0;  // "$C$4" or "$C$6:$D$6"
  virtual HRESULT get_Worksheet(_Worksheet** sheet) = 0;

 protected:
  ~Range() = default;
};

class PageSetup : public com::IDispatch {
 public:
  static constexpr com::IID iid = com::MakeGuid("{7A3E0101-5C1D-4B8E-9F20-3D6B1E0A0003}");
  using Base = com::IDispatch;
  virtual HRESULT get_PaperSize(LONG* size) = 0;
  virtual HRESULT put_PaperSize(LONG size) = 0;
  virtual HRESULT get_Zoom(VARIANT* zoom) = 0;  // 10..400, or False: fit to pages
  virtual HRESULT put_Zoom(VARIANT zoom) = 0;
  virtual HRESULT get_Orientation(LONG* orientation) = 0;
  virtual HRESULT put_Orientation(LONG orientation) = 0;
  virtual HRESULT get_CenterHorizontally(VARIANT_BOOL* center) = 0;
  virtual HRESULT put_CenterHorizontally(VARIANT_BOOL center) = 0;
  virtual HRESULT get_CenterVertically(VARIANT_BOOL* center) = 0;
  virtual HRESULT put_CenterVertically(VARIANT_BOOL center) = 0;

 protected:
  ~PageSetup() = default;
};

class _Worksheet : public com::IDispatch {
 public:
  static constexpr com::IID iid = com::MakeGuid("{7A3E0101-5C1D-4B8E-9F20-3D6B1E0A0004}");
  using Base = com::IDispatch;
  virtual HRESULT get_Name(BSTR* name) = 0;
  virtual HRESULT get_Index(LONG* index) = 0;
  virtual HRESULT get_Parent(_Workbook** book) = 0;
  virtual HRESULT get_Cells(Range** cells) = 0;
  // The rectangle spanning Cell1 and Cell2: Ranges of this sheet or "A1" texts.
  virtual HRESULT get_Range(VARIANT cell1, VARIANT cell2, Range** range) = 0;
  virtual HRESULT get_UsedRange(Range** range) = 0;
  virtual HRESULT Activate() = 0;
  virtual HRESULT Select(VARIANT replace) = 0;
  virtual HRESULT Unprotect(VARIANT password) = 0;
  // Omitted options take Excel's defaults: DrawingObjects, Contents and
  // Scenarios true, UserInterfaceOnly false.
  virtual HRESULT Protect(VARIANT password, VARIANT drawing_objects, VARIANT contents, VARIANT scenarios,
                          VARIANT user_interface_only) = 0;
  virtual HRESULT get_ProtectContents(VARIANT_BOOL* value) = 0;
  virtual HRESULT get_ProtectDrawingObjects(VARIANT_BOOL* value) = 0;
  virtual HRESULT get_ProtectScenarios(VARIANT_BOOL* value) = 0;
  virtual HRESULT get_ProtectionMode(VARIANT_BOOL* user_interface_only) = 0;
  virtual HRESULT get_EnableSelection(LONG* value) = 0;
  virtual HRESULT put_EnableSelection(LONG value) = 0;  // xlNoRestrictions, xlUnlockedCells, xlNoSelection
  virtual HRESULT get_Visible(LONG* value) = 0;
  virtual HRESULT put_Visible(LONG value) = 0;  // xlSheetVisible (or 1), xlSheetHidden, xlSheetVeryHidden
  virtual HRESULT get_PageSetup(PageSetup** setup) = 0;
  // Modal: returns when the preview is closed (the host's preview handler).
  virtual HRESULT PrintPreview(VARIANT enable_changes) = 0;

 protected:
  ~_Worksheet() = default;
};

class Sheets : public com::IDispatch {
 public:
  static constexpr com::IID iid = com::MakeGuid("{7A3E0101-5C1D-4B8E-9F20-3D6B1E0A0005}");
  using Base = com::IDispatch;
  virtual HRESULT get_Count(LONG* count) = 0;
  // By 1-based number or by name (case-insensitive).
  virtual HRESULT get_Item(VARIANT index, _Worksheet** sheet) = 0;

 protected:
  ~Sheets() = default;
};

class _Workbook : public com::IDispatch {
 public:
  static constexpr com::IID iid = com::MakeGuid("{7A3E0101-5C1D-4B8E-9F20-3D6B1E0A0006}");
  using Base = com::IDispatch;
  virtual HRESULT get_Name(BSTR* name) = 0;
  virtual HRESULT get_FullName(BSTR* name) = 0;
  virtual HRESULT get_Sheets(Sheets** sheets) = 0;      // all sheets, in order
  virtual HRESULT get_Worksheets(Sheets** sheets) = 0;  // the worksheets, in order
  virtual HRESULT get_ActiveSheet(_Worksheet** sheet) = 0;
  virtual HRESULT Activate() = 0;
  virtual HRESULT Save() = 0;  // to its own file, safely
  virtual HRESULT get_Saved(VARIANT_BOOL* saved) = 0;
  // SaveChanges true saves first; otherwise changes are dropped.
  virtual HRESULT Close(VARIANT save_changes, VARIANT file_name, VARIANT route_workbook) = 0;

 protected:
  ~_Workbook() = default;
};

class Workbooks : public com::IDispatch {
 public:
  static constexpr com::IID iid = com::MakeGuid("{7A3E0101-5C1D-4B8E-9F20-3D6B1E0A0007}");
  using Base = com::IDispatch;
  virtual HRESULT get_Count(LONG* count) = 0;
  virtual HRESULT get_Item(VARIANT index, _Workbook** book) = 0;
  // Opens an .xlsx file and makes it the active workbook; the other
  // arguments are accepted and not used. Fails for a missing or unreadable
  // file and for a workbook of that name already open.
  virtual HRESULT Open(BSTR file_name, VARIANT update_links, VARIANT read_only, VARIANT format, VARIANT password,
                       VARIANT write_res_password, VARIANT ignore_read_only_recommended, VARIANT origin,
                       VARIANT delimiter, VARIANT editable, VARIANT notify, VARIANT converter, VARIANT add_to_mru,
                       _Workbook** book) = 0;

 protected:
  ~Workbooks() = default;
};

class _Application : public com::IDispatch {
 public:
  static constexpr com::IID iid = com::MakeGuid("{7A3E0101-5C1D-4B8E-9F20-3D6B1E0A0008}");
  using Base = com::IDispatch;
  virtual HRESULT get_ActiveWorkbook(_Workbook** book) = 0;  // S_OK and null when none
  virtual HRESULT get_ActiveSheet(_Worksheet** sheet) = 0;   // S_OK and null when none
  virtual HRESULT get_ActiveCell(Range** cell) = 0;          // S_OK and null when none
  virtual HRESULT get_Selection(com::IDispatch** selection) = 0;  // a Range; null when none
  virtual HRESULT get_Workbooks(Workbooks** books) = 0;
  virtual HRESULT get_Worksheets(Sheets** sheets) = 0;  // of the active workbook
  // The Office command bars the host attached (SetCommandBars); null when none.
  virtual HRESULT get_CommandBars(com::IDispatch** bars) = 0;

 protected:
  ~_Application() = default;
};

// What a host attaches to the application it made.
class IApplicationHost : public com::IUnknown {
 public:
  static constexpr com::IID iid = com::MakeGuid("{7A3E0101-5C1D-4B8E-9F20-3D6B1E0A0009}");
  using Base = com::IUnknown;
  virtual HRESULT SetCommandBars(com::IDispatch* bars) = 0;

 protected:
  ~IApplicationHost() = default;
};

// A new application with no workbook open.
com::ComPtr<_Application> CreateApplication();
// The command bars get_CommandBars hands out (the Office layer makes them).
// The application holds them until it goes; they must not hold the
// application itself (that would keep both alive).
HRESULT SetCommandBars(_Application* app, com::IDispatch* bars);
// What PrintPreview shows: the handler runs modally and returns when the
// preview is closed. Without one (null) the sheet is printed into a PDF file
// that the UI driver shows (ui::UiDriver::ShowPrintPreview).
using PrintPreviewHandler = std::function<void(_Worksheet* sheet)>;
void SetPrintPreviewHandler(PrintPreviewHandler handler);

}  // namespace excel
